#pragma once
// The export of the visible curve of an experiment (channel 0) as a table of two or three
// columns: written as a delimited text file or as a spreadsheet workbook with a chart. This is
// the logic of the export dialog; the dialog only edits the options and shows the preview.

#include <stdexcept>
#include <string>
#include <vector>

namespace kalvero {

class TDataClass;

class ETxtFileExportException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The dialog's controls, with their defaults.
struct RTxtExportOptions {
    bool selectedArea = false;  // "Выделенная область" instead of "Вся кривая"
    bool decimation = true;     // "Прореживание"
    std::string step = "10";    // "Шаг", decimal text
    std::string columnSeparator = "TAB";  // "TAB" stands for the tab character
    std::string decimalSeparator = ",";   // its first character is used
    int decimals = -1;          // "Знаков после запятой": −1 is "Все", else 0 … 10
    bool includeHeader = true;  // "Включить названия столбцов в заголовок"
};

struct RExportRow {
    std::string col1, col2, col3, col4;
};

class TTxtFileExport {
public:
    // aShowExcelExport: spreadsheet mode, in which the decimal separator is the point.
    TTxtFileExport(const TDataClass& aDataClass, const std::string& aFileName, bool aShowExcelExport);

    RTxtExportOptions options;

    // Rebuilds the table from the options. A step text "0" becomes "1" in the options; a step
    // that is not an integer raises ETxtFileExportException "'<text>' is not a valid integer
    // value". aMaxRows ≥ 0 keeps only the first aMaxRows rows (the header included) and counts
    // the others without making their texts: the dialog rebuilds its preview after every change,
    // and a long record must not be turned into text each time. Such a table is not written.
    void BuildTable(int aMaxRows = -1);
    const std::vector<RExportRow>& Data() const { return fData; }
    bool Use3Columns() const { return fUse3Columns; }
    bool HasHeader() const { return fHasHeader; }
    // "Всего точек": the number of data rows.
    int PointCount() const { return fPointCount; }
    // The tab character for "TAB", else the choice itself.
    std::string Separator() const;
    // " Пример результата ": the first ten rows, columns joined by the separator.
    std::vector<std::string> Preview() const;
    // "Экспорт в Excel" or "Сохранение в текстовый файл".
    std::string Caption() const;

    // A column separator that is empty or holds the decimal separator would make the columns
    // unreadable: ETxtFileExportException with the operator's message. Spreadsheets take no
    // separators.
    void CheckSeparators() const;

    // "Сохранить": the separators checked, the table as Windows-1251 text lines ending in CR LF, to the file
    // name given at construction. A failure raises "Ошибка при сохранении файла: " + the reason, and a file
    // that was there stays as it was.
    void SaveToFile() const;
    // "Переслать в Excel": a workbook of the table with the header formatting, column widths and
    // a smoothed XY chart of column B over column A. A failure raises "Ошибка при экспорте: " +
    // the reason; a file that was there stays as it was.
    void ExportToXlsx(const std::string& aFileName) const;
    // Where a spreadsheet export of the experiment aExperimentFile goes before the spreadsheet
    // program opens it: its base name with ".xlsx" in the folder aFolder, numbered " (2)", " (3)"
    // ... past the names already taken.
    static std::string SpreadsheetFileName(const std::string& aFolder, const std::string& aExperimentFile);

    // Dialog state.
    std::string fFileName;
    const TDataClass* fDataClass;
    bool fShowExcelExport;
    int fStartIndex = 0, fStopIndex = -1;  // inclusive item range of the last build

private:
    void CheckComplete() const;

    std::vector<RExportRow> fData;
    bool fUse3Columns = false;
    bool fHasHeader = false;
    bool fComplete = false;
    int fPointCount = 0;
};

}  // namespace kalvero
