#pragma once
// TTxtFileExportForm: the visible curve of an experiment as a table of two or three columns,
// written as a delimited text file ("Сохранение в текстовый файл") or as a spreadsheet workbook
// that the desktop's spreadsheet program opens afterwards ("Экспорт в Excel"). The table is the
// library's (TTxtFileExport); the dialog edits its options and shows the count of rows and the
// first ten of them, which it builds without turning the whole record into text.

#include <QDialog>

#include <string>

#include "graphics/TxtFileExport.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace kalvero::app {

class TTxtFileExportForm : public QDialog {
public:
    // aFileName: the text file to write (file mode); aSpreadsheet: spreadsheet mode.
    TTxtFileExportForm(QWidget* aParent, const TDataClass& aDataClass, const std::string& aFileName,
                       bool aSpreadsheet);

    // "Сохранить": the text file; an error is shown and logged and the dialog stays open.
    bool SaveToFile();
    // "Переслать в Excel": the workbook, opened with the desktop's default application; "not
    // installed" when nothing can open it.
    bool SendToSpreadsheet();
    // The workbook of the last spreadsheet export.
    const std::string& WorkbookFileName() const { return fWorkbook; }

    // The folder the workbooks go to before the spreadsheet program opens them.
    static std::string SpreadsheetFolder();

private:
    void ReadOptions();
    void Rebuild();

    TTxtFileExport fExport;
    std::string fWorkbook;
    bool fFilling = false;
    QAbstractButton *fWhole = nullptr, *fSelected = nullptr;
    QCheckBox *fDecimation = nullptr, *fHeader = nullptr;
    QLineEdit* fStep = nullptr;
    QLabel *fCount = nullptr, *fHint = nullptr;
    QComboBox *fColumnSeparator = nullptr, *fDecimalSeparator = nullptr, *fDecimals = nullptr;
    QGroupBox* fPreviewBox = nullptr;
    QPlainTextEdit* fPreview = nullptr;
};

}  // namespace kalvero::app
