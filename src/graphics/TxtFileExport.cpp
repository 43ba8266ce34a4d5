// Building the export table and writing it as delimited text.

#include "graphics/TxtFileExport.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "common/Cp1251.h"
#include "common/FileUtil.h"
#include "common/MathProcs.h"
#include "common/Procs.h"
#include "data/CurveTexts.h"
#include "data/DataClass.h"

namespace kalvero {
namespace {

// The four exported views; scan and repaint modes export as the view they draw, the transient
// temperature pass of the combined view as temperature by time.
TCurveMode ExportMode(TCurveMode aMode) {
    switch (aMode) {
        case vm_scan_dT_by_time:
        case vm_repaint_scan_dT_by_time:
            return vm_view_dT_by_time;
        case vm_scan_dT_by_temp:
        case vm_repaint_scan_dT_by_temp:
            return vm_view_dT_by_temp;
        case vm_optstate_draw_extra_temp:
        case vm_scan_T_by_time:
        case vm_repaint_scan_T_by_time:
            return vm_view_T_by_time;
        default:
            return aMode;
    }
}

// A calibrated value as the decimal number its 32-bit float stands for (25.3, not 25.29999924).
double FloatValue(float aValue) {
    char text[32];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, aValue);
    double d = aValue;
    if (ec == std::errc()) std::from_chars(text, end, d);
    return d;
}

int ParseStep(const std::string& aText) {
    std::string s = aText;
    s.erase(0, s.find_first_not_of(' '));
    s.erase(s.find_last_not_of(' ') + 1);
    int value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size())
        throw ETxtFileExportException("'" + aText + "' is not a valid integer value");
    return value;
}

}  // namespace

TTxtFileExport::TTxtFileExport(const TDataClass& aDataClass, const std::string& aFileName,
                               bool aShowExcelExport)
    : fFileName(aFileName), fDataClass(&aDataClass), fShowExcelExport(aShowExcelExport) {
    if (fShowExcelExport) options.decimalSeparator = ".";
}

std::string TTxtFileExport::Separator() const {
    return options.columnSeparator == "TAB" ? std::string("\t") : options.columnSeparator;
}

std::string TTxtFileExport::Caption() const {
    return fShowExcelExport ? "Экспорт в Excel" : "Сохранение в текстовый файл";
}

void TTxtFileExport::BuildTable(int aMaxRows) {
    const TDataClass& d = *fDataClass;
    const TAppConfig& c = DataConfig();
    fComplete = false;  // until the table below is whole
    if (options.step == "0") options.step = "1";
    const int step = options.decimation ? std::max(1, ParseStep(options.step)) : 1;
    const TCurveMode mode = ExportMode(d.mode);
    const bool byTemp = mode == vm_view_dT_by_temp;

    if (byTemp) {
        fStartIndex = d.begX1, fStopIndex = d.endX1;
    } else if (options.selectedArea) {
        fStartIndex = d.begXSel, fStopIndex = d.endXSel;
    } else {
        fStartIndex = d.begX, fStopIndex = d.endX;
    }
    // The view ranges may reach past the samples (a selection ends one past its last item).
    fStartIndex = std::max(fStartIndex, 0);
    fStopIndex = std::min(fStopIndex, d.GetItemCount() - 1);

    const char point = options.decimalSeparator.empty() ? ',' : options.decimalSeparator[0];
    const int digits = options.decimals < 0 ? -1 : std::min(options.decimals, 10);
    auto number = [&](double v) { return StrNEx(v, digits, point); };
    const double divider = d.GetTimeDivider();
    auto timeText = [&](int i) { return d.timeScale != tmUnits ? number(i / divider) : std::to_string(i); };
    // On the temperature axis a row is made only for the temperatures inside the selection. A float
    // and its shortest decimal text lie on the same side of any bound that a float holds exactly,
    // so such bounds are compared with the float itself: counting a long record stays quick.
    const double lo = std::min(d.begXSel, d.endXSel), hi = std::max(d.begXSel, d.endXSel);
    const bool exactBounds = std::fabs(lo) < 16777216.0 && std::fabs(hi) < 16777216.0;
    auto inSelection = [&](const TItem& s) {
        if (d.tempScale != tsDegrees) return lo <= s.t && s.t <= hi;
        const double v = exactBounds ? static_cast<double>(s.tc) : FloatValue(s.tc);
        return lo <= v && v <= hi;
    };
    auto tText = [&](const TItem& s) {
        return d.tempScale == tsDegrees ? number(FloatValue(s.tc)) : std::to_string(s.t);
    };
    auto dtText = [&](const TItem& s) {
        return d.diffTempScale == dtsDegrees ? number(FloatValue(s.dtc)) : std::to_string(s.dt);
    };

    fData.clear();
    fUse3Columns = mode == vm_view_dt_and_temp_by_time;
    fHasHeader = options.includeHeader;
    fComplete = aMaxRows < 0;
    fPointCount = 0;
    if (fHasHeader) {
        const std::string timeLabel = "Время, " + GetTimeScaleStr(d.timeScale);
        const std::string tLabel = c.tempChannelShortName + ", " + d.GetTUnits();
        const std::string dtLabel = d.GetDtName() + ", " + d.GetDtUnits();
        switch (mode) {
            case vm_view_dT_by_time:
                fData.push_back({timeLabel, dtLabel, "", ""});
                break;
            case vm_view_T_by_time:
                fData.push_back({timeLabel, tLabel, "", ""});
                break;
            case vm_view_dT_by_temp:
                fData.push_back({tLabel, dtLabel, "", ""});
                break;
            default:
                fData.push_back({timeLabel, dtLabel, tLabel, ""});
                break;
        }
    }
    const int64_t rows = fStopIndex >= fStartIndex ? (fStopIndex - fStartIndex) / step + 1 : 0;
    const size_t limit = fComplete ? SIZE_MAX : static_cast<size_t>(aMaxRows);
    // Ten million rows are over a gigabyte of row objects: grown by doubling they would be moved
    // again and again.
    if (fComplete) fData.reserve(fData.size() + static_cast<size_t>(rows));
    if (!byTemp) fPointCount = static_cast<int>(rows);
    for (int64_t i = fStartIndex; i <= fStopIndex; i += step) {
        const int item = static_cast<int>(i);
        const TItem& s = d.items[item][0];
        if (fData.size() >= limit) {
            // Past the kept rows only the temperature filter still counts.
            if (!byTemp) break;
            if (inSelection(s)) ++fPointCount;
            continue;
        }
        switch (mode) {
            case vm_view_dT_by_time:
                fData.push_back({timeText(item), dtText(s), "", ""});
                break;
            case vm_view_T_by_time:
                fData.push_back({timeText(item), tText(s), "", ""});
                break;
            case vm_view_dT_by_temp:
                if (inSelection(s)) {
                    fData.push_back({tText(s), dtText(s), "", ""});
                    ++fPointCount;
                }
                break;
            default:
                fData.push_back({timeText(item), dtText(s), tText(s), ""});
                break;
        }
    }
}

std::vector<std::string> TTxtFileExport::Preview() const {
    std::vector<std::string> lines;
    const std::string sep = Separator();
    for (size_t k = 0; k < fData.size() && k < 10; ++k) {
        const RExportRow& r = fData[k];
        lines.push_back(r.col1 + sep + r.col2 + (fUse3Columns ? sep + r.col3 : ""));
    }
    return lines;
}

void TTxtFileExport::CheckComplete() const {
    if (!fComplete) throw std::logic_error("the export table was built for its preview only");
}

void TTxtFileExport::CheckSeparators() const {
    const std::string sep = Separator();
    if (sep.empty()) throw ETxtFileExportException("Не задан разделитель столбцов");
    const char point = options.decimalSeparator.empty() ? ',' : options.decimalSeparator[0];
    if (sep.find(point) != std::string::npos)
        throw ETxtFileExportException(
            "Десятичный разделитель не должен совпадать с разделителем столбцов: числа нельзя будет "
            "отличить от столбцов");
}

std::string TTxtFileExport::SpreadsheetFileName(const std::string& aFolder,
                                                const std::string& aExperimentFile) {
    namespace fs = std::filesystem;
    std::string base = fs::path(aExperimentFile).stem().string();
    if (base.empty()) base = "Экспорт";
    std::error_code ec;
    fs::path name = fs::path(aFolder) / (base + ".xlsx");
    for (int n = 2; fs::exists(name, ec); ++n)
        name = fs::path(aFolder) / (base + " (" + std::to_string(n) + ").xlsx");
    return name.string();
}

void TTxtFileExport::SaveToFile() const {
    CheckComplete();
    CheckSeparators();
    try {
        const std::string sep = Separator();
        // Written in pieces of 64 K rows: no copy of the whole text, in either encoding.
        WriteFileAtomic(fFileName, [&](const TByteSink& aSink) {
            std::string text;
            for (size_t k = 0; k < fData.size(); ++k) {
                const RExportRow& r = fData[k];
                text += r.col1;
                text += sep;
                text += r.col2;
                if (fUse3Columns) {
                    text += sep;
                    text += r.col3;
                }
                text += "\r\n";
                if ((k + 1) % 65536 == 0 || k + 1 == fData.size()) {
                    aSink(Utf8ToCp1251(text));
                    text.clear();
                }
            }
        });
    } catch (const std::exception& e) {
        throw ETxtFileExportException(std::string("Ошибка при сохранении файла: ") + e.what());
    }
}

}  // namespace kalvero
