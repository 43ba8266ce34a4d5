#pragma once
// The point grid of the calibration dialog: headings over rows of texts, the rows added and
// deleted as the operator's grids always were, and every change of a cell checked while it is
// typed (a change that does not pass puts back the text the cell held before it).

#include <QTableWidget>

#include <functional>
#include <string>
#include <vector>

#include "calibration/CalibrationGrid.h"

namespace kalvero::app {

// Rows count from 0 under the headings. When the grid has exactly one row and every cell of it is
// empty, that row is used (nothing is added) and 0 returned; otherwise a row is appended and its
// index returned.
int StrGridAddRow(QTableWidget& aGrid);
// A grid without rows stays as it is; the only row is emptied instead of removed; otherwise
// every row below aRow moves up by one and the last row goes.
void StrGridDelRow(QTableWidget& aGrid, int aRow);

class TPointGrid : public QTableWidget {
public:
    explicit TPointGrid(QWidget* aParent);

    // The text a cell of aColumn keeps when its text becomes aText while it held aPrevious.
    using TCellCheck =
        std::function<std::string(int aColumn, const std::string& aText, const std::string& aPrevious)>;
    void SetCellCheck(TCellCheck aCheck) { fCheck = std::move(aCheck); }
    // Called after every change of a cell that the operator made.
    std::function<void()> onEdited;

    // Headings, widths and the computed columns, which can be neither entered nor changed; then
    // the rows (one empty row when there are none, so the grid always has a row to type into).
    void SetContent(const std::vector<RGridColumn>& aColumns, const TGridRows& aRows);
    TGridRows Rows() const;
    std::string Cell(int aRow, int aColumn) const;
    void SetCell(int aRow, int aColumn, const std::string& aText);

    // The text of the cell being edited as it was before the last change (the check's aPrevious).
    const std::string& PreviousText() const { return fPrevious; }

private:
    class TCellDelegate;
    void MakeItems(int aRow);
    void TextEdited(int aColumn, const std::string& aText,
                    const std::function<void(const std::string&)>& aSet);

    std::vector<RGridColumn> fColumns;
    TCellCheck fCheck;
    std::string fPrevious;
    bool fFilling = false;

    friend class TCellDelegate;
};

}  // namespace kalvero::app
