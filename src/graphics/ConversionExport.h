#pragma once
// A peak's conversion written as a delimited text table, with the separators, decimals and header
// choice of the curve export: time (s), sample temperature (°C), α and dα/dt (1/s), one row per
// item of the peak.

#include <string>

#include "evaluation/Conversion.h"
#include "graphics/TxtFileExport.h"

namespace kalvero {

// Windows-1251 lines ending in CR LF, as the curve export writes them. The number of data rows.
// ETxtFileExportException "Ошибка при сохранении файла: …" when it cannot be written.
int SaveConversionTable(const evaluation::RConversion& aConversion, const std::string& aFileName,
                        const RTxtExportOptions& aOptions);

}  // namespace kalvero
