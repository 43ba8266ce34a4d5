#include "app/ResultTableView.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <filesystem>

#include "app/Prompts.h"
#include "app/QtText.h"
#include "common/Globals.h"
#include "common/MsgBoxes.h"
#include "graphics/TableExport.h"

namespace kalvero::app {
namespace {

constexpr const char* kExportFilter = "Текст, столбцы через табуляцию (*.txt)|*.txt|Книга (*.xlsx)|*.xlsx";

}  // namespace

TResultTableView::TResultTableView(QWidget* aParent)
    : QWidget(aParent),
      fGrid(new QTableWidget(this)),
      fCopy(new QPushButton("Копировать", this)),
      fExport(new QPushButton("Экспорт...", this)) {
    fGrid->verticalHeader()->hide();
    fGrid->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    fGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    fGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    fCopy->setAccessibleName("Копировать");
    fCopy->setToolTip("Копировать таблицу");
    fExport->setAccessibleName("Экспорт...");
    fExport->setToolTip("Сохранить таблицу в файл");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(fCopy);
    buttons->addWidget(fExport);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(buttons);
    layout->addWidget(fGrid);
    connect(fCopy, &QPushButton::clicked, this, [this] { CopyTable(); });
    connect(fExport, &QPushButton::clicked, this, [this] { ExportTable(); });
}

void TResultTableView::SetTable(const RResultTable& aTable) {
    fTable = aTable;
    fGrid->clear();
    fGrid->setColumnCount(static_cast<int>(aTable.columns.size()));
    QStringList header;
    for (const std::string& caption : aTable.columns)
        header << Q(caption);
    fGrid->setHorizontalHeaderLabels(header);
    fGrid->setRowCount(static_cast<int>(aTable.rows.size()));
    for (size_t row = 0; row < aTable.rows.size(); ++row) {
        for (size_t column = 0; column < aTable.rows[row].size() && column < aTable.columns.size();
             ++column) {
            auto* item = new QTableWidgetItem(Q(aTable.rows[row][column]));
            if (column > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            fGrid->setItem(static_cast<int>(row), static_cast<int>(column), item);
        }
    }
    fGrid->setAccessibleName(Q(aTable.title));
}

void TResultTableView::CopyTable() const {
    QApplication::clipboard()->setText(Q(TableText(fTable)));
}

void TResultTableView::ExportTable() {
    const std::string folder = gConfig ? gConfig->appUserDataPath : "";
    const auto chosen = AskSaveFile(this, folder, fTable.title + ".txt", kExportFilter, 1, "Экспорт таблицы");
    if (!chosen) return;
    std::string file = chosen->fileName;
    const bool workbook = chosen->filterIndex == 2 || std::filesystem::path(file).extension() == ".xlsx";
    if (std::filesystem::path(file).extension().empty()) file += workbook ? ".xlsx" : ".txt";
    try {
        if (workbook)
            SaveTableXlsx(file, fTable.title, fTable.columns, fTable.rows);
        else
            SaveTableText(file, fTable.columns, fTable.rows);
    } catch (const std::exception& e) {
        ErrBox(gLogger, "TResultTableView", e.what());
    }
}

}  // namespace kalvero::app
