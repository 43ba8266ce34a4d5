#include "app/ResultsList.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/QtText.h"
#include "data/DataClass.h"
#include "evaluation/ExperimentEvaluations.h"
#include "evaluation/PeakResults.h"
#include "methods/MethodApply.h"
#include "methods/ReportContent.h"
#include "processing/Peak.h"

namespace kalvero::app {
namespace {

// A table that asks for the height of a few rows: the two tables share the dock under the plot,
// which keeps most of the window.
class TCompactTable : public QTableWidget {
public:
    using QTableWidget::QTableWidget;
    QSize sizeHint() const override { return {QTableWidget::sizeHint().width(), 110}; }
};

// The width at half height comes last: scripts read the other columns by their places.
const char* const kHeader[] = {"№",      "Эффект",  "Ti, °С", "Tнач, °С", "Tпик, °С",      "Tкон, °С",
                               "Tf, °С", "Площадь", "Q, Дж",  "Q, Дж/г",  "Базовая линия", "W½, К"};
constexpr int kColumns = static_cast<int>(std::size(kHeader));
const char* const kEvaluationHeader[] = {"Оценка", "Результат"};
const char* const kMethodHeader[] = {"№", "Оценка", "Результат", "Значение", "Границы", "Вывод"};
constexpr int kMethodColumns = static_cast<int>(std::size(kMethodHeader));
const QColor kMarked(0xC0, 0, 0);

std::string BaseLineCaption(const std::string& aKey) {
    const auto kind = PeakBaseLineFromKey(aKey);
    return kind ? QString(PeakBaseLineCaption(*kind)).toLower().toStdString() : aKey;
}

void SetUpTable(QTableWidget* aTable, const char* const* aHeader, int aColumns, const char* aName) {
    aTable->setColumnCount(aColumns);
    QStringList header;
    for (int k = 0; k < aColumns; ++k)
        header << aHeader[k];
    aTable->setHorizontalHeaderLabels(header);
    aTable->verticalHeader()->hide();
    aTable->horizontalHeader()->setStretchLastSection(true);
    aTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    aTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    aTable->setSelectionMode(QAbstractItemView::SingleSelection);
    aTable->setAccessibleName(aName);
}

QString CellOf(const QTableWidget* aTable, int aRow, int aColumn) {
    const QTableWidgetItem* item = aTable->item(aRow, aColumn);
    return item ? item->text() : QString();
}

std::string TableAsText(const QTableWidget* aTable, const char* const* aHeader, int aColumns) {
    std::string text;
    for (int column = 0; column < aColumns; ++column)
        text += std::string(column ? "\t" : "") + aHeader[column];
    text += "\n";
    for (int row = 0; row < aTable->rowCount(); ++row) {
        for (int column = 0; column < aColumns; ++column)
            text += (column ? "\t" : "") + S(CellOf(aTable, row, column));
        text += "\n";
    }
    return text;
}

// Row aRow selected, or none for a row beyond the table.
void SelectRowOf(QTableWidget* aTable, int aRow) {
    if (aRow < 0 || aRow >= aTable->rowCount()) {
        aTable->clearSelection();
    } else {
        aTable->selectRow(aRow);
    }
}

int SelectedRow(const QTableWidget* aTable) {
    const auto rows = aTable->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

}  // namespace

TResultsList::TResultsList(QWidget* aParent)
    : QWidget(aParent),
      fTable(new TCompactTable(this)),
      fEvaluations(new TCompactTable(this)),
      fCopy(new QPushButton("Копировать", this)),
      fRemove(new QPushButton("Удалить оценку", this)),
      fLabels(new QCheckBox("Подписи на графике", this)),
      fSaveMethod(new QPushButton("Сохранить методику...", this)),
      fApplyMethod(new QPushButton("Применить методику...", this)),
      fReport(new QPushButton("Отчёт...", this)) {
    SetUpTable(fTable, kHeader, kColumns, "Результаты");
    SetUpTable(fEvaluations, kEvaluationHeader, 2, "Оценки");
    fMethodResults = new TCompactTable(this);
    SetUpTable(fMethodResults, kMethodHeader, kMethodColumns, "Результаты методики");
    fMethodResults->hide();
    for (QPushButton* b : {fSaveMethod, fApplyMethod, fReport})
        b->setAccessibleName(b->text());
    fSaveMethod->setToolTip("Сохранить оценки опыта как методику с границами результатов");
    fApplyMethod->setToolTip("Выполнить оценки методики на этом опыте и проверить границы");
    fReport->setToolTip("Отчёт об опыте с графиком, результатами и калибровкой");
    fEvaluations->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    fCopy->setAccessibleName("Копировать");
    fCopy->setToolTip("Копировать таблицу результатов");
    fRemove->setAccessibleName("Удалить оценку");
    fRemove->setEnabled(false);
    fLabels->setAccessibleName("Подписи на графике");
    fLabels->setChecked(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(fCopy);
    buttons->addWidget(fLabels);
    buttons->addWidget(fRemove);
    buttons->addWidget(fSaveMethod);
    buttons->addWidget(fApplyMethod);
    buttons->addWidget(fReport);
    buttons->addStretch();
    // The effects over the evaluations, each as wide as the dock: the effects' columns are many.
    auto* tables = new QSplitter(Qt::Vertical, this);
    tables->addWidget(fTable);
    tables->addWidget(fEvaluations);
    tables->addWidget(fMethodResults);
    tables->setStretchFactor(0, 3);
    tables->setStretchFactor(1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(buttons);
    layout->addWidget(tables);
    connect(fCopy, &QPushButton::clicked, this, [this] { CopyTable(); });
    connect(fSaveMethod, &QPushButton::clicked, this, [this] {
        if (onSaveMethod) onSaveMethod();
    });
    connect(fApplyMethod, &QPushButton::clicked, this, [this] {
        if (onApplyMethod) onApplyMethod();
    });
    connect(fReport, &QPushButton::clicked, this, [this] {
        if (onReport) onReport();
    });
    connect(fRemove, &QPushButton::clicked, this, [this] {
        if (onRemoveEvaluation && SelectedEvaluation() >= 0) onRemoveEvaluation(SelectedEvaluation());
    });
    connect(fEvaluations, &QTableWidget::itemSelectionChanged, this,
            [this] { fRemove->setEnabled(SelectedEvaluation() >= 0); });
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
            BaseLineCaption(r.baseLine),    DecimalComma(r.halfWidth, 2)};
        for (int column = 0; column < kColumns; ++column)
            fTable->setItem(k, column, new QTableWidgetItem(Q(cells[column])));
    }
    if (selected >= 0 && selected < fTable->rowCount()) fTable->selectRow(selected);
    const QSignalBlocker blockLabels(fLabels);
    fLabels->setChecked(d.fShowEffectLabels);

    const QSignalBlocker blockEvaluations(fEvaluations);
    const std::vector<evaluation::TEvaluationRow> rows = evaluation::EvaluationRows(d);
    fEvaluations->setRowCount(static_cast<int>(rows.size()));
    for (int k = 0; k < static_cast<int>(rows.size()); ++k) {
        fEvaluations->setItem(k, 0, new QTableWidgetItem(Q(rows[k].caption)));
        auto* result = new QTableWidgetItem(Q(rows[k].summary));
        if (rows[k].failed) result->setForeground(Qt::red);
        fEvaluations->setItem(k, 1, result);
    }
    fRemove->setEnabled(SelectedEvaluation() >= 0);
}

int TResultsList::EvaluationCount() const {
    return fEvaluations->rowCount();
}

QString TResultsList::EvaluationCell(int aRow, int aColumn) const {
    return CellOf(fEvaluations, aRow, aColumn);
}

int TResultsList::SelectedEvaluation() const {
    return SelectedRow(fEvaluations);
}

void TResultsList::SelectEvaluation(int aRow) {
    SelectRowOf(fEvaluations, aRow);
}

int TResultsList::RowCount() const {
    return fTable->rowCount();
}

QString TResultsList::Cell(int aRow, int aColumn) const {
    return CellOf(fTable, aRow, aColumn);
}

std::string TResultsList::TableText() const {
    std::string text = TableAsText(fTable, kHeader, kColumns);
    if (fEvaluations->rowCount() > 0) text += "\n" + TableAsText(fEvaluations, kEvaluationHeader, 2);
    return text;
}

void TResultsList::CopyTable() const {
    QApplication::clipboard()->setText(Q(TableText()));
}

int TResultsList::SelectedEffect() const {
    return SelectedRow(fTable);
}

void TResultsList::SelectEffect(int aEffect) {
    SelectRowOf(fTable, aEffect);
}

void TResultsList::SetMethodRun(const methods::TMethodRun* aRun) {
    fMethodResults->setVisible(aRun != nullptr);
    fMethodResults->setRowCount(aRun ? static_cast<int>(aRun->results.size()) : 0);
    if (!aRun) return;
    int firstMarked = -1;
    for (int k = 0; k < static_cast<int>(aRun->results.size()); ++k) {
        const methods::TMethodResult& r = aRun->results[k];
        const std::string value = r.error.empty() ? methods::ValueText(r.value) + " " + r.unit : r.error;
        const std::string cells[kMethodColumns] = {
            std::to_string(r.evaluation),
            methods::KindCaption(r.kind) + " " + r.range,
            methods::ResultTitle(r.kind, r.name),
            value,
            methods::LimitText(r),
            r.limited || !r.error.empty() ? methods::VerdictCaption(r.verdict) : ""};
        const bool marked = r.verdict == methods::EVerdict::Fail || r.verdict == methods::EVerdict::Error;
        for (int column = 0; column < kMethodColumns; ++column) {
            auto* item = new QTableWidgetItem(Q(cells[column]));
            if (marked) item->setForeground(kMarked);
            item->setData(Qt::UserRole, marked);
            fMethodResults->setItem(k, column, item);
        }
        if (marked && firstMarked < 0) firstMarked = k;
    }
    // The captions are long: their columns take their width, the verdict the rest.
    fMethodResults->resizeColumnsToContents();
    // The first result out of its limits in sight.
    if (firstMarked >= 0) fMethodResults->scrollToItem(fMethodResults->item(firstMarked, 0));
}

int TResultsList::MethodRowCount() const {
    return fMethodResults->rowCount();
}

QString TResultsList::MethodCell(int aRow, int aColumn) const {
    return CellOf(fMethodResults, aRow, aColumn);
}

bool TResultsList::MethodRowMarked(int aRow) const {
    const QTableWidgetItem* item = fMethodResults->item(aRow, 0);
    return item && item->data(Qt::UserRole).toBool();
}

}  // namespace kalvero::app
