#pragma once
// Texts and colours between the library (UTF-8 strings, colours as $00BBGGRR) and the toolkit.

#include <QColor>
#include <QString>

#include <string>

#include "common/Config.h"

namespace kalvero::app {

inline QString Q(const std::string& aText) {
    return QString::fromStdString(aText);
}

inline std::string S(const QString& aText) {
    return aText.toStdString();
}

// A caption without its "&" access-key marks ("С&охранить" → "Сохранить"; "&&" stays one "&").
QString StripAccel(const QString& aCaption);

inline QColor ToQColor(TColor aColor) {
    return QColor(static_cast<int>(aColor & 0xFF), static_cast<int>((aColor >> 8) & 0xFF),
                  static_cast<int>((aColor >> 16) & 0xFF));
}

inline TColor FromQColor(const QColor& aColor) {
    return static_cast<TColor>(aColor.red()) | static_cast<TColor>(aColor.green()) << 8 |
           static_cast<TColor>(aColor.blue()) << 16;
}

}  // namespace kalvero::app
