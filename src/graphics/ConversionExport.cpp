#include "graphics/ConversionExport.h"

#include "common/Cp1251.h"
#include "common/FileUtil.h"
#include "common/Procs.h"

namespace kalvero {

int SaveConversionTable(const evaluation::RConversion& c, const std::string& aFileName,
                        const RTxtExportOptions& aOptions) {
    const std::string sep = aOptions.columnSeparator == "TAB" ? "\t" : aOptions.columnSeparator;
    const char point = aOptions.decimalSeparator.empty() ? ',' : aOptions.decimalSeparator[0];
    const int digits = aOptions.decimals < 0 ? -1 : std::min(aOptions.decimals, 10);
    std::string text;
    if (aOptions.includeHeader)
        text += "Время, с" + sep + "Температура, °С" + sep + "Степень превращения" + sep +
                "Скорость превращения, 1/с\r\n";
    for (size_t k = 0; k < c.alpha.size(); ++k)
        text += StrNEx(c.time[k], digits, point) + sep + StrNEx(c.temperature[k], digits, point) + sep +
                StrNEx(c.alpha[k], digits, point) + sep + StrNEx(c.rate[k], digits, point) + "\r\n";
    try {
        WriteFileAtomic(aFileName, Utf8ToCp1251(text));
    } catch (const std::exception& e) {
        throw ETxtFileExportException(std::string("Ошибка при сохранении файла: ") + e.what());
    }
    return static_cast<int>(c.alpha.size());
}

}  // namespace kalvero
