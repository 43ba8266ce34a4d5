#pragma once
// A table a plug-in described (PluginResults.h) in a table widget, with its two commands:
// "Копировать" puts it on the clipboard as tab-separated lines, "Экспорт..." writes it to a text
// file or a spreadsheet workbook.

#include <QWidget>

#include <string>

#include "plugins/PluginResults.h"

class QPushButton;
class QTableWidget;

namespace kalvero::app {

class TResultTableView : public QWidget {
public:
    explicit TResultTableView(QWidget* aParent);

    void SetTable(const RResultTable& aTable);
    const RResultTable& Table() const { return fTable; }
    QTableWidget& Grid() const { return *fGrid; }

    void CopyTable() const;
    // Asks for the file and writes it: a workbook for ".xlsx", tab-separated text otherwise. An error is
    // shown in a box.
    void ExportTable();

private:
    RResultTable fTable;
    QTableWidget* fGrid;
    QPushButton* fCopy;
    QPushButton* fExport;
};

}  // namespace kalvero::app
