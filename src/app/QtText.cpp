#include "app/QtText.h"

namespace kalvero::app {

QString StripAccel(const QString& aCaption) {
    QString result;
    result.reserve(aCaption.size());
    for (qsizetype k = 0; k < aCaption.size(); ++k) {
        if (aCaption[k] == '&') {
            if (k + 1 < aCaption.size() && aCaption[k + 1] == '&') result += '&', ++k;
            continue;
        }
        result += aCaption[k];
    }
    return result;
}

}  // namespace kalvero::app
