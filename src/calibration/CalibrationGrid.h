#pragma once
// The point grid of the calibration dialog as texts: the columns of each table kind, the points
// as the grid shows them, the check of a cell while it is typed, the rows read back as points,
// and what the chart of the table draws. The dialog only presents these.

#include <string>
#include <utility>
#include <vector>

#include "calibration/TableBuild.h"
#include "common/Config.h"

namespace kalvero {

class TCalibrationTable;

using TGridRow = std::vector<std::string>;
using TGridRows = std::vector<TGridRow>;

struct RGridColumn {
    std::string heading;
    int width = 0;
    bool editable = true;  // computed columns can be neither entered nor changed
};

// The columns of the table's kind (a temperature table may stand for the dT table).
std::vector<RGridColumn> GridColumns(const TCalibrationTable& aTable, const TAppConfig& aConfig);

// A new row, as wide as the kind's grid: "0", "0", "Комментарий" (temperature), "0", "0", "0"
// (differential), "Вещество", "0", "0" (heat), the rest empty.
TGridRow NewGridRow(const TCalibrationTable& aTable);

// The table's points as the grid shows them, one row each, in collection order.
TGridRows GridRowsOf(const TCalibrationTable& aTable);

// The text cell aColumn keeps when its text becomes aText while it held aPrevious: aText itself,
// a corrected text (a count clipped to the channel's limits, a height or area of 0 or less as
// "1"), or aPrevious when aText does not convert, the column is computed or the cell held a
// margin label.
std::string CheckGridCell(const TCalibrationTable& aTable, int aColumn, const std::string& aText,
                          const std::string& aPrevious);

// A row with every cell empty carries no point.
bool IsEmptyGridRow(const TGridRow& aRow);

// The rows read as points, empty rows left out (and, for heat, the margin rows). A cell that does
// not convert is ECalibrationException naming its row (from 1) and column.
std::vector<RTempRow> TempRowsOf(const TGridRows& aRows, const std::vector<RGridColumn>& aColumns);
std::vector<RDiffTempRow> DiffTempRowsOf(const TGridRows& aRows, const std::vector<RGridColumn>& aColumns);
std::vector<RHeatRow> HeatRowsOf(const TGridRows& aRows, const std::vector<RGridColumn>& aColumns);

using TChartPoints = std::vector<std::pair<double, double>>;

struct RChartData {
    std::string title, xTitle, yTitle;
    TChartPoints curve;   // the table's conversion over its range
    TChartPoints points;  // the reference points
    TChartPoints filled;  // a second set of points, drawn filled (the chart serves other plots too)
};

// The chart of the table: counts to degrees for a temperature table, the factor over the
// temperature range aBegTemp … aEndTemp for dT and heat tables (heat factors × 1e9).
RChartData ChartDataOf(TCalibrationTable& aTable, const TAppConfig& aConfig, float aBegTemp, float aEndTemp);

}  // namespace kalvero
