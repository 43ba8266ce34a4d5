#include "app/ResultsList.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/QtText.h"
#include "data/DataClass.h"
#include "evaluation/PeakResults.h"

namespace kalvero::app {
namespace {

const char* const kHeader[] = {"№",      "Эффект",  "Ti, °С", "Tнач, °С", "Tпик, °С",     "Tкон, °С",
                               "Tf, °С", "Площадь", "Q, Дж",  "Q, Дж/г",  "Базовая линия"};
constexpr int kColumns = static_cast<int>(std::size(kHeader));

std::string BaseLineCaption(const std::string& aKey) {
    if (aKey == "line") return "прямая";
    return aKey;
}

}  // namespace

TResultsList::TResultsList(QWidget* aParent)
    : QWidget(aParent),
      fTable(new QTableWidget(this)),
      fCopy(new QPushButton("Копировать", this)),
      fLabels(new QCheckBox("Подписи на графике", this)) {
    fTable->setColumnCount(kColumns);
    QStringList header;
    for (const char* h : kHeader)
        header << h;
    fTable->setHorizontalHeaderLabels(header);
    fTable->verticalHeader()->hide();
    fTable->horizontalHeader()->setStretchLastSection(true);
    fTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    fTable->setSelectionMode(QAbstractItemView::SingleSelection);
    fTable->setAccessibleName("Результаты");
    fCopy->setAccessibleName("Копировать");
    fCopy->setToolTip("Копировать таблицу результатов");
    fLabels->setAccessibleName("Подписи на графике");
    fLabels->setChecked(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(fCopy);
    buttons->addWidget(fLabels);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(buttons);
    layout->addWidget(fTable);
    connect(fCopy, &QPushButton::clicked, this, [this] { CopyTable(); });
    connect(fLabels, &QCheckBox::toggled, this, [this](bool aOn) {
        if (onLabelsShown) onLabelsShown(aOn);
    });
    connect(fTable, &QTableWidget::itemSelectionChanged, this, [this] {
        if (onSelected) onSelected(SelectedEffect());
    });
}

void TResultsList::Refresh(const TDataClass& d) {
    const QSignalBlocker block(fTable);
    const int selected = SelectedEffect();
    const std::vector<TEffectResult> results = EffectResults(d);
    fTable->setRowCount(static_cast<int>(results.size()));
    for (int k = 0; k < static_cast<int>(results.size()); ++k) {
        const TEffectResult& r = results[k];
        const std::string cells[kColumns] = {
            std::to_string(r.number),       EffectCaption(r.endothermic),
            DecimalComma(r.initialTemp, 1), DecimalComma(r.onsetTemp, 1),
            DecimalComma(r.topTemp, 1),     DecimalComma(r.endsetTemp, 1),
            DecimalComma(r.finalTemp, 1),   DecimalComma(r.area, 4) + " " + r.areaUnit,
            DecimalComma(r.heat, 4),        DecimalComma(r.specificHeat, 2),
            BaseLineCaption(r.baseLine)};
        for (int column = 0; column < kColumns; ++column)
            fTable->setItem(k, column, new QTableWidgetItem(Q(cells[column])));
    }
    if (selected >= 0 && selected < fTable->rowCount()) fTable->selectRow(selected);
    const QSignalBlocker blockLabels(fLabels);
    fLabels->setChecked(d.fShowEffectLabels);
}

int TResultsList::RowCount() const {
    return fTable->rowCount();
}

QString TResultsList::Cell(int aRow, int aColumn) const {
    const QTableWidgetItem* item = fTable->item(aRow, aColumn);
    return item ? item->text() : QString();
}

std::string TResultsList::TableText() const {
    std::string text;
    for (int column = 0; column < kColumns; ++column)
        text += std::string(column ? "\t" : "") + kHeader[column];
    text += "\n";
    for (int row = 0; row < fTable->rowCount(); ++row) {
        for (int column = 0; column < kColumns; ++column)
            text += (column ? "\t" : "") + S(Cell(row, column));
        text += "\n";
    }
    return text;
}

void TResultsList::CopyTable() const {
    QApplication::clipboard()->setText(Q(TableText()));
}

int TResultsList::SelectedEffect() const {
    const auto rows = fTable->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void TResultsList::SelectEffect(int aEffect) {
    if (aEffect < 0 || aEffect >= fTable->rowCount()) {
        fTable->clearSelection();
    } else {
        fTable->selectRow(aEffect);
    }
}

}  // namespace kalvero::app
