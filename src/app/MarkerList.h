#pragma once
// The marker list of a data window: one row per marker with its number, time, dT and T, the
// values the plot's hint boxes show.

#include <QWidget>

class QTableWidget;

namespace kalvero {
class TDataClass;
}

namespace kalvero::app {

class TMarkerList : public QWidget {
public:
    explicit TMarkerList(QWidget* aParent);
    void Refresh(const TDataClass& aDataClass);
    int RowCount() const;
    QString Cell(int aRow, int aColumn) const;

private:
    QTableWidget* fTable;
};

}  // namespace kalvero::app
