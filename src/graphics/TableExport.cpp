#include "graphics/TableExport.h"

#include <xlsxwriter.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <random>

#include "common/FileUtil.h"

namespace kalvero {
namespace {

void Check(lxw_error aError) {
    if (aError != LXW_NO_ERROR) throw std::runtime_error(lxw_strerror(aError));
}

// At most aCount UTF-8 characters of aText.
std::string Characters(const std::string& aText, size_t aCount) {
    size_t at = 0;
    for (size_t n = 0; at < aText.size() && n < aCount; ++n) {
        ++at;
        while (at < aText.size() && (static_cast<unsigned char>(aText[at]) & 0xC0) == 0x80)
            ++at;
    }
    return aText.substr(0, at);
}

}  // namespace

bool CellNumber(const std::string& aText, double& aValue) {
    std::string s = aText;
    for (char& ch : s)
        if (ch == ',') ch = '.';
    if (s.empty()) return false;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), aValue);
    return ec == std::errc() && end == s.data() + s.size() && std::isfinite(aValue);
}

void SaveTableText(const std::string& aFileName, const std::vector<std::string>& aColumns,
                   const std::vector<std::vector<std::string>>& aRows) {
    std::string text = "\xEF\xBB\xBF";
    auto line = [&text](const std::vector<std::string>& aCells) {
        for (size_t k = 0; k < aCells.size(); ++k)
            text += (k ? "\t" : "") + aCells[k];
        text += "\r\n";
    };
    line(aColumns);
    for (const auto& row : aRows)
        line(row);
    try {
        WriteFileAtomic(aFileName, text);
    } catch (const std::exception& e) {
        throw ETableExportException(std::string("Ошибка при сохранении файла: ") + e.what());
    }
}

void WriteWorkbook(const std::string& aFileName, const std::function<void(const char* aScratch)>& aWrite) {
    namespace fs = std::filesystem;
    std::random_device rd;
    const fs::path scratch = fs::temp_directory_path() / ("kalvero-xlsx-" + std::to_string(rd()) + ".xlsx");
    struct TRemover {
        const fs::path& file;
        ~TRemover() {
            std::error_code ec;
            fs::remove(file, ec);
        }
    } remover{scratch};
    aWrite(scratch.c_str());
    WriteFileAtomic(aFileName, ReadWholeFile(scratch));
}

void SaveTableXlsx(const std::string& aFileName, const std::string& aSheet,
                   const std::vector<std::string>& aColumns,
                   const std::vector<std::vector<std::string>>& aRows) {
    try {
        WriteWorkbook(aFileName, [&](const char* aScratch) {
            lxw_workbook* book = workbook_new(aScratch);
            if (!book) throw std::runtime_error("cannot create the workbook");
            const std::string name = Characters(aSheet, 31);
            lxw_worksheet* sheet = workbook_add_worksheet(book, name.empty() ? nullptr : name.c_str());
            lxw_format* bold = workbook_add_format(book);
            format_set_bold(bold);
            auto write = [&](lxw_row_t aRow, const std::vector<std::string>& aCells, lxw_format* aFormat) {
                for (size_t col = 0; col < aCells.size(); ++col) {
                    double v = 0;
                    const auto c = static_cast<lxw_col_t>(col);
                    if (aFormat == nullptr && CellNumber(aCells[col], v))
                        Check(worksheet_write_number(sheet, aRow, c, v, nullptr));
                    else if (!aCells[col].empty())
                        Check(worksheet_write_string(sheet, aRow, c, aCells[col].c_str(), aFormat));
                }
            };
            write(0, aColumns, bold);
            for (size_t k = 0; k < aRows.size(); ++k)
                write(static_cast<lxw_row_t>(k + 1), aRows[k], nullptr);
            const auto last = static_cast<lxw_col_t>(std::max<size_t>(aColumns.size(), 1) - 1);
            Check(worksheet_set_column(sheet, 0, last, 16, nullptr));
            Check(workbook_close(book));
        });
    } catch (const std::exception& e) {
        throw ETableExportException(std::string("Ошибка при экспорте: ") + e.what());
    }
}

}  // namespace kalvero
