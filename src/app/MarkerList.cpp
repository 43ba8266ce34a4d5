#include "app/MarkerList.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/QtText.h"
#include "common/Globals.h"
#include "data/CurveTexts.h"
#include "data/DataClass.h"
#include "processing/Bubble.h"

namespace kalvero::app {

TMarkerList::TMarkerList(QWidget* aParent) : QWidget(aParent), fTable(new QTableWidget(this)) {
    const TAppConfig& c = *gConfig;
    fTable->setColumnCount(4);
    fTable->setHorizontalHeaderLabels(
        {"№", Q(c.timeChannelShortName), Q(c.diffChannelShortName), Q(c.tempChannelShortName)});
    fTable->verticalHeader()->hide();
    fTable->horizontalHeader()->setStretchLastSection(true);
    fTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fTable->setAccessibleName("Список маркеров");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(fTable);
}

void TMarkerList::Refresh(const TDataClass& aDataClass) {
    const int count = aDataClass.bubbles.GetItemCount();
    fTable->setRowCount(count);
    for (int k = 0; k < count; ++k) {
        const auto* bubble = dynamic_cast<const TBubble*>(aDataClass.bubbles.GetItemByIndex(k).value);
        if (!bubble) continue;
        const int channel = bubble->fChannel < aDataClass.GetChannelCount() ? bubble->fChannel : 0;
        const std::string cells[] = {std::to_string(k + 1), GetTimeStr(aDataClass, bubble->fTime),
                                     GetDiffTempStr(aDataClass, bubble->fTime, channel),
                                     GetTempStr(aDataClass, bubble->fTime, channel)};
        for (int column = 0; column < 4; ++column)
            fTable->setItem(k, column, new QTableWidgetItem(Q(cells[column])));
    }
}

int TMarkerList::RowCount() const {
    return fTable->rowCount();
}

QString TMarkerList::Cell(int aRow, int aColumn) const {
    const QTableWidgetItem* item = fTable->item(aRow, aColumn);
    return item ? item->text() : QString();
}

}  // namespace kalvero::app
