#pragma once
// A table of texts (a plug-in's results, as shown) written to a file for other programs: a
// tab-separated text, or a spreadsheet workbook whose cells that read as numbers are numbers.

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kalvero {

class ETableExportException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes a workbook at aFileName through a scratch file in the temporary folder, so that a failure
// never leaves half a file there: aWrite writes and closes the workbook at the path it is given.
// What aWrite or the copy raises passes on, the scratch file removed.
void WriteWorkbook(const std::string& aFileName, const std::function<void(const char* aScratch)>& aWrite);

// A cell text as a number when the whole text is one (either decimal separator).
bool CellNumber(const std::string& aText, double& aValue);

// UTF-8 with its byte-order mark (so that spreadsheets read the Greek and the superscripts), the
// captions first, cells separated by tabs, lines ending in CR LF. A failure raises
// ETableExportException "Ошибка при сохранении файла: " + the reason; a file that was there stays
// as it was.
void SaveTableText(const std::string& aFileName, const std::vector<std::string>& aColumns,
                   const std::vector<std::vector<std::string>>& aRows);

// A workbook of one sheet named aSheet (at most 31 characters are kept): the captions in bold, then
// the rows. A failure raises ETableExportException "Ошибка при экспорте: " + the reason.
void SaveTableXlsx(const std::string& aFileName, const std::string& aSheet,
                   const std::vector<std::string>& aColumns,
                   const std::vector<std::vector<std::string>>& aRows);

}  // namespace kalvero
