#include "app/PointGrid.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QStyledItemDelegate>

#include "app/QtText.h"

namespace kalvero::app {

int StrGridAddRow(QTableWidget& aGrid) {
    if (aGrid.rowCount() == 1) {
        bool empty = true;
        for (int c = 0; c < aGrid.columnCount() && empty; ++c)
            empty = !aGrid.item(0, c) || aGrid.item(0, c)->text().isEmpty();
        if (empty) return 0;
    }
    aGrid.insertRow(aGrid.rowCount());
    return aGrid.rowCount() - 1;
}

void StrGridDelRow(QTableWidget& aGrid, int aRow) {
    if (aGrid.rowCount() == 0 || aRow < 0 || aRow >= aGrid.rowCount()) return;
    if (aGrid.rowCount() == 1) {
        for (int c = 0; c < aGrid.columnCount(); ++c)
            if (QTableWidgetItem* item = aGrid.item(0, c)) item->setText("");
        return;
    }
    aGrid.removeRow(aRow);
}

// A line editor whose every change the grid checks; the text before the change is kept for it.
class TPointGrid::TCellDelegate : public QStyledItemDelegate {
public:
    explicit TCellDelegate(TPointGrid& aGrid) : QStyledItemDelegate(&aGrid), fGrid(aGrid) {}

    QWidget* createEditor(QWidget* aParent, const QStyleOptionViewItem&,
                          const QModelIndex& aIndex) const override {
        auto* editor = new QLineEdit(aParent);
        editor->setFrame(false);
        editor->setAccessibleName(Q(fGrid.fColumns.at(aIndex.column()).heading));
        const int column = aIndex.column();
        QObject::connect(
            editor, &QLineEdit::textEdited, editor, [this, editor, column](const QString& aText) {
                fGrid.TextEdited(column, S(aText), [editor](const std::string& t) { editor->setText(Q(t)); });
            });
        return editor;
    }
    void setEditorData(QWidget* aEditor, const QModelIndex& aIndex) const override {
        QStyledItemDelegate::setEditorData(aEditor, aIndex);
        fGrid.fPrevious = S(aIndex.data().toString());
    }

private:
    TPointGrid& fGrid;
};

TPointGrid::TPointGrid(QWidget* aParent) : QTableWidget(aParent) {
    setItemDelegate(new TCellDelegate(*this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem*) {
        if (!fFilling && onEdited) onEdited();
    });
    // The rows a grid operation adds get their cells at once, so every cell can be typed into.
    connect(model(), &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int aFirst, int aLast) {
                for (int r = aFirst; r <= aLast; ++r)
                    MakeItems(r);
            });
}

void TPointGrid::MakeItems(int aRow) {
    const bool filling = std::exchange(fFilling, true);
    for (int c = 0; c < columnCount(); ++c) {
        if (item(aRow, c)) continue;
        auto* cell = new QTableWidgetItem;
        const bool editable = c < static_cast<int>(fColumns.size()) && fColumns[c].editable;
        cell->setFlags(editable ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                                : Qt::NoItemFlags);
        setItem(aRow, c, cell);
    }
    fFilling = filling;
}

void TPointGrid::SetContent(const std::vector<RGridColumn>& aColumns, const TGridRows& aRows) {
    fFilling = true;
    setRowCount(0);
    fColumns = aColumns;
    setColumnCount(static_cast<int>(aColumns.size()));
    QStringList headings;
    for (const RGridColumn& column : aColumns)
        headings << Q(column.heading);
    setHorizontalHeaderLabels(headings);
    setRowCount(std::max<int>(1, static_cast<int>(aRows.size())));
    for (size_t r = 0; r < aRows.size(); ++r)
        for (size_t c = 0; c < aRows[r].size() && c < aColumns.size(); ++c)
            item(static_cast<int>(r), static_cast<int>(c))->setText(Q(aRows[r][c]));
    // The widths are the least a column gets; headings and numbers are never cut.
    for (size_t c = 0; c < aColumns.size(); ++c) {
        resizeColumnToContents(static_cast<int>(c));
        setColumnWidth(static_cast<int>(c), std::max(columnWidth(static_cast<int>(c)), aColumns[c].width));
    }
    fFilling = false;
}

TGridRows TPointGrid::Rows() const {
    TGridRows rows;
    for (int r = 0; r < rowCount(); ++r) {
        TGridRow row;
        for (int c = 0; c < columnCount(); ++c)
            row.push_back(Cell(r, c));
        rows.push_back(row);
    }
    return rows;
}

std::string TPointGrid::Cell(int aRow, int aColumn) const {
    const QTableWidgetItem* cell = item(aRow, aColumn);
    return cell ? S(cell->text()) : std::string();
}

void TPointGrid::SetCell(int aRow, int aColumn, const std::string& aText) {
    if (aRow < 0 || aRow >= rowCount() || aColumn < 0 || aColumn >= columnCount()) return;
    MakeItems(aRow);
    item(aRow, aColumn)->setText(Q(aText));
}

void TPointGrid::TextEdited(int aColumn, const std::string& aText,
                            const std::function<void(const std::string&)>& aSet) {
    const std::string kept = fCheck ? fCheck(aColumn, aText, fPrevious) : aText;
    if (kept != aText) aSet(kept);
    fPrevious = kept;
}

}  // namespace kalvero::app
