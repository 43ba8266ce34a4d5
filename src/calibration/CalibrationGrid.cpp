#include "calibration/CalibrationGrid.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "calibration/CalibrationMath.h"
#include "calibration/DiffTempAutoPoints.h"
#include "calibration/DiffTempCalibration.h"
#include "calibration/HeatCalibration.h"
#include "calibration/TempCalibration.h"
#include "common/Procs.h"

namespace kalvero {
namespace {

using calibration_math::RoundToInt32;

// Heat factors are shown and drawn in 1e-9 J per count.
constexpr double HEAT_FACTOR_SCALE = 1e9;
// A chart needs no more points than a screen has pixels.
constexpr int64_t MAX_CHART_POINTS = 2000;

std::string Trim(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

bool ParseInteger(const std::string& aText, int64_t& aValue) {
    const std::string t = Trim(aText);
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), aValue);
    return !t.empty() && ec == std::errc() && end == t.data() + t.size();
}

bool ParseNumber(const std::string& aText) {
    try {
        return std::isfinite(StrToRealEx(aText));
    } catch (const std::invalid_argument&) {
        return false;
    }
}

// A count checked against the channel's limits; "-" stays, so that a negative count can be typed.
std::string CheckCounts(const TCalibrationTable& t, const std::string& aText, const std::string& aPrevious) {
    if (Trim(aText) == "-") return aText;
    int64_t v;
    if (!ParseInteger(aText, v)) return aPrevious;
    if (v > t.fMaxADCValue) return std::to_string(t.fMaxADCValue);
    if (v < t.fMinADCValue) return std::to_string(t.fMinADCValue);
    return aText;
}

std::string CheckNumber(const std::string& aText, const std::string& aPrevious) {
    return ParseNumber(aText) ? aText : aPrevious;
}

// Heights and areas are positive integers.
std::string CheckPositive(const std::string& aText, const std::string& aPrevious) {
    int64_t v;
    if (!ParseInteger(aText, v)) return aPrevious;
    return v <= 0 ? "1" : aText;
}

size_t ColumnCount(const TCalibrationTable& t) {
    switch (t.GetTableType()) {
        case cttTemperature:
            return 3;
        case cttDiffTemperature:
            return 4;
        case cttHeat:
            return 6;
    }
    return 0;
}

// Reads the cells of one grid row, naming the row and column of a cell that does not convert.
class TRowReader {
public:
    TRowReader(const TGridRow& aRow, size_t aRowNumber, const std::vector<RGridColumn>& aColumns)
        : fRow(aRow), fRowNumber(aRowNumber), fColumns(aColumns) {}

    std::string Text(size_t aColumn) const { return aColumn < fRow.size() ? fRow[aColumn] : ""; }
    double Number(size_t aColumn) const {
        try {
            const double v = StrToRealEx(Text(aColumn));
            if (std::isfinite(v)) return v;
        } catch (const std::invalid_argument&) {
        }
        Fail(aColumn, "не является числом");
    }
    int32_t Integer(size_t aColumn) const {
        int64_t v;
        if (!ParseInteger(Text(aColumn), v) || v < INT32_MIN || v > INT32_MAX)
            Fail(aColumn, "не является целым числом");
        return static_cast<int32_t>(v);
    }

private:
    [[noreturn]] void Fail(size_t aColumn, const std::string& aWhat) const {
        const std::string heading = aColumn < fColumns.size() ? fColumns[aColumn].heading : "";
        throw ECalibrationException("Строка " + std::to_string(fRowNumber) + ", столбец \"" + heading +
                                    "\": \"" + Text(aColumn) + "\" " + aWhat);
    }

    const TGridRow& fRow;
    size_t fRowNumber;
    const std::vector<RGridColumn>& fColumns;
};

// Calls aRead with a reader for every row that carries a point.
template <typename Row, typename Read>
std::vector<Row> ReadRows(const TGridRows& aRows, const std::vector<RGridColumn>& aColumns, Read aRead) {
    std::vector<Row> rows;
    for (size_t i = 0; i < aRows.size(); ++i) {
        if (IsEmptyGridRow(aRows[i])) continue;
        const TRowReader reader(aRows[i], i + 1, aColumns);
        if (auto row = aRead(reader)) rows.push_back(*row);
    }
    return rows;
}

// Whole values from aFrom to aTo, at most MAX_CHART_POINTS of them, both ends included.
template <typename ValueAt>
TChartPoints Sample(int64_t aFrom, int64_t aTo, int64_t aStep, ValueAt aValue) {
    TChartPoints curve;
    if (aFrom > aTo) return curve;
    const int64_t step = std::max<int64_t>({1, aStep, (aTo - aFrom) / MAX_CHART_POINTS});
    try {
        for (int64_t x = aFrom;; x += step) {
            const int64_t at = std::min(x, aTo);
            curve.emplace_back(static_cast<double>(at), aValue(at));
            if (at == aTo) break;
        }
    } catch (const std::exception&) {
        curve.clear();  // a table that cannot convert (one point, no entries) draws no curve
    }
    return curve;
}

}  // namespace

std::vector<RGridColumn> GridColumns(const TCalibrationTable& t, const TAppConfig& c) {
    switch (t.GetTableType()) {
        case cttTemperature:
            return {{t.fTableTypeShortName + ", отсч.", 60, true},
                    {t.fTableTypeShortName + ", " + t.fRealUnitsName, 60, true},
                    {"Комментарий", 300, true}};
        case cttDiffTemperature:
            return {{c.tempChannelShortName + " образца, " + c.tempChannelUnitsName, 90, true},
                    {t.fTableTypeShortName + ", " + t.fRealUnitsName, 60, true},
                    {"h пика, отсч.", 100, true},
                    {"Калибр. коэфф.", 100, false}};
        case cttHeat:
            return {{"Вещество", 100, true},
                    {"Масса(мг)", 60, true},
                    {"T. превр.(" + c.tempChannelUnitsName + ")", 70, true},
                    {"Уд.теплота(Дж/г)", 100, true},
                    {"Площадь(отсч.)", 90, true},
                    {"Коэфф.*10(-6)", 80, false}};
    }
    return {};
}

TGridRow NewGridRow(const TCalibrationTable& t) {
    TGridRow row(ColumnCount(t));
    const char* const first[3][3] = {{"0", "0", "Комментарий"}, {"0", "0", "0"}, {"Вещество", "0", "0"}};
    const int kind = std::min<int>(t.GetTableType(), cttHeat);
    std::copy(first[kind], first[kind] + 3, row.begin());
    return row;
}

TGridRows GridRowsOf(const TCalibrationTable& t) {
    TGridRows rows;
    for (const TCustomCollectionItem& item : t.GetRefPoints().items) {
        const TRefPoint& p = item.value;
        switch (t.GetTableType()) {
            case cttTemperature:
                rows.push_back({std::to_string(p.unitValue), StrN(p.realValue, 3), p.description});
                break;
            case cttDiffTemperature:
                rows.push_back({std::to_string(p.unitValue), StrN(p.diffTemperature, 6),
                                std::to_string(p.peakHeight), StrN(p.realValue, 10)});
                break;
            case cttHeat:
                rows.push_back({p.description, StrN(p.weight, 6), std::to_string(p.unitValue),
                                StrN(p.specificHeat, 3), std::to_string(p.area),
                                StrN(p.realValue * HEAT_FACTOR_SCALE, 16)});
                break;
        }
    }
    return rows;
}

std::string CheckGridCell(const TCalibrationTable& t, int aColumn, const std::string& aText,
                          const std::string& aPrevious) {
    switch (t.GetTableType()) {
        case cttTemperature:
            if (aColumn == 0) return CheckCounts(t, aText, aPrevious);
            if (aColumn == 1) return CheckNumber(aText, aPrevious);
            return aText;
        case cttDiffTemperature:
            if (aColumn <= 1) return CheckNumber(aText, aPrevious);
            if (aColumn == 2) return CheckPositive(aText, aPrevious);
            return aPrevious;
        case cttHeat:
            if (aColumn == 0) return IsHeatMarginLabel(aPrevious) ? aPrevious : aText;
            if (aColumn <= 3) return CheckNumber(aText, aPrevious);
            if (aColumn == 4) return CheckPositive(aText, aPrevious);
            return aPrevious;
    }
    return aPrevious;
}

bool IsEmptyGridRow(const TGridRow& aRow) {
    return std::all_of(aRow.begin(), aRow.end(), [](const std::string& s) { return Trim(s).empty(); });
}

std::vector<RTempRow> TempRowsOf(const TGridRows& aRows, const std::vector<RGridColumn>& aColumns) {
    return ReadRows<RTempRow>(aRows, aColumns, [](const TRowReader& r) {
        return std::optional<RTempRow>(RTempRow{r.Integer(0), static_cast<float>(r.Number(1)), r.Text(2)});
    });
}

std::vector<RDiffTempRow> DiffTempRowsOf(const TGridRows& aRows, const std::vector<RGridColumn>& aColumns) {
    return ReadRows<RDiffTempRow>(aRows, aColumns, [](const TRowReader& r) {
        return std::optional<RDiffTempRow>(
            RDiffTempRow{WholeDegree(r.Number(0)), static_cast<float>(r.Number(1)), r.Integer(2), r.Text(3)});
    });
}

std::vector<RHeatRow> HeatRowsOf(const TGridRows& aRows, const std::vector<RGridColumn>& aColumns) {
    return ReadRows<RHeatRow>(aRows, aColumns, [](const TRowReader& r) -> std::optional<RHeatRow> {
        if (IsHeatMarginLabel(r.Text(0))) return std::nullopt;
        return RHeatRow{RoundToInt32(r.Number(2)), r.Integer(4), static_cast<float>(r.Number(1)),
                        static_cast<float>(r.Number(3)), r.Text(0)};
    });
}

RChartData ChartDataOf(TCalibrationTable& t, const TAppConfig& c, float aBegTemp, float aEndTemp) {
    RChartData chart;
    const double pointScale = t.GetTableType() == cttHeat ? HEAT_FACTOR_SCALE : 1;
    for (const TCustomCollectionItem& item : t.GetRefPoints().items)
        chart.points.emplace_back(item.value.unitValue, item.value.realValue * pointScale);
    const int64_t beg = calibration_math::SaturatingRound(aBegTemp);
    const int64_t end = calibration_math::SaturatingRound(aEndTemp);
    if (auto* temp = dynamic_cast<TTempCalibrationTable*>(&t)) {
        chart.title = "Калибровочная таблица для " + t.fTableTypeName;
        chart.xTitle = "Отсчёты АЦП";
        chart.yTitle = "Значения " + t.fTableTypeShortName;
        const int64_t from = temp->GetBegUnitsTemp(), to = temp->GetEndUnitsTemp();
        chart.curve = Sample(from, to, (to - from) / 1000, [&](int64_t u) {
            return static_cast<double>(temp->GetRealValue(static_cast<int32_t>(u)));
        });
    } else if (auto* heat = dynamic_cast<THeatCalibrationTable*>(&t)) {
        chart.title = "Калибровочная таблица для " + c.tempChannelName;
        chart.xTitle = c.tempChannelName + " превращения, " + c.tempChannelUnitsName;
        chart.yTitle = "Калибровочный коэффициент * 10(-6)";
        chart.curve = Sample(beg, end, 1, [&](int64_t T) {
            return heat->GetHeatFactor(static_cast<float>(T)) * HEAT_FACTOR_SCALE;
        });
    } else {
        chart.title = "Калибровочная таблица для " + t.fTableTypeName;
        chart.xTitle = c.tempChannelName + " образца, " + c.tempChannelUnitsName;
        chart.yTitle = "Калибровочный коэффициент";
        chart.curve = Sample(
            beg, end, 1, [&](int64_t T) { return static_cast<double>(t.GetFactor(static_cast<float>(T))); });
    }
    return chart;
}

}  // namespace kalvero
