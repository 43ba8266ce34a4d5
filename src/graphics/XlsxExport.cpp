// The export table as a spreadsheet workbook: the cells, header formatting, column widths and
// smoothed XY chart that the spreadsheet automation of the desktop program produced.

#include <xlsxwriter.h>

#include <cmath>

#include "common/UiHooks.h"
#include "graphics/TableExport.h"
#include "graphics/TxtFileExport.h"

namespace kalvero {
namespace {

constexpr double kPixelsPerPoint = 96.0 / 72.0;

void Check(lxw_error aError) {
    if (aError != LXW_NO_ERROR) throw std::runtime_error(lxw_strerror(aError));
}

struct TWorkbookCloser {
    lxw_workbook* book;
    ~TWorkbookCloser() {
        if (book) workbook_close(book);
    }
};

struct TProgress {
    TProgress() { UiHooks().ProgressStart("Производится экспорт в Excel", 100); }
    ~TProgress() { UiHooks().ProgressFinish(); }
};

}  // namespace

void TTxtFileExport::ExportToXlsx(const std::string& aFileName) const {
    CheckComplete();
    try {
        WriteWorkbook(aFileName, [&](const char* aScratch) {
            TProgress progress;
            // Rows go to the file as they are written, in order: closing the workbook then has little
            // left to do, and the progress window keeps moving through nearly all of the export.
            lxw_workbook_options opts = {};
            opts.constant_memory = LXW_TRUE;
            lxw_workbook* book = workbook_new_opt(aScratch, &opts);
            if (!book) throw std::runtime_error("cannot create the workbook");
            TWorkbookCloser closer{book};
            lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
            Check(worksheet_set_column(sheet, 0, 63, 15, nullptr));

            lxw_row_t row = 0;
            if (fHasHeader && !fData.empty()) {
                lxw_format* header = workbook_add_format(book);
                format_set_font_size(header, 10);
                format_set_align(header, LXW_ALIGN_CENTER);
                format_set_bold(header);
                const RExportRow& h = fData.front();
                const std::string cells[4] = {h.col1, h.col2, fUse3Columns ? h.col3 : "", ""};
                for (lxw_col_t col = 0; col < 4; ++col) {
                    if (cells[col].empty())
                        Check(worksheet_write_blank(sheet, 0, col, header));
                    else
                        Check(worksheet_write_string(sheet, 0, col, cells[col].c_str(), header));
                }
                row = 1;
            }
            const size_t first = fHasHeader ? 1 : 0;
            const size_t count = fData.size() - std::min(first, fData.size());
            for (size_t k = first; k < fData.size(); ++k, ++row) {
                const RExportRow& r = fData[k];
                const std::string* cells[3] = {&r.col1, &r.col2, &r.col3};
                for (lxw_col_t col = 0; col < (fUse3Columns ? 3 : 2); ++col) {
                    double v = 0;
                    if (CellNumber(*cells[col], v))
                        Check(worksheet_write_number(sheet, row, col, v, nullptr));
                    else if (!cells[col]->empty())
                        Check(worksheet_write_string(sheet, row, col, cells[col]->c_str(), nullptr));
                }
                if ((k - first) % 200 == 0)
                    UiHooks().ProgressStep(static_cast<int>((k - first) * 100 / std::max<size_t>(1, count)));
            }

            // Column B over column A for every data row; a chart needs at least one row.
            if (count > 0) {
                lxw_chart* chart = workbook_add_chart(book, LXW_CHART_SCATTER_SMOOTH);
                lxw_chart_series* series = chart_add_series(chart, nullptr, nullptr);
                const lxw_row_t top = fHasHeader ? 1 : 0, bottom = static_cast<lxw_row_t>(top + count - 1);
                chart_series_set_categories(series, "Sheet1", top, 0, bottom, 0);
                chart_series_set_values(series, "Sheet1", top, 1, bottom, 1);
                chart_legend_set_position(chart, LXW_CHART_LEGEND_NONE);
                lxw_chart_options place = {};
                place.x_offset = static_cast<int32_t>(std::lround(260 * kPixelsPerPoint));
                place.y_offset = static_cast<int32_t>(std::lround(20 * kPixelsPerPoint));
                place.x_scale = 600 * kPixelsPerPoint / 480.0;  // the default chart is 480 × 288 pixels
                place.y_scale = 400 * kPixelsPerPoint / 288.0;
                Check(worksheet_insert_chart_opt(sheet, 0, 0, chart, &place));
            }
            closer.book = nullptr;
            Check(workbook_close(book));
        });
    } catch (const std::exception& e) {
        throw ETxtFileExportException(std::string("Ошибка при экспорте: ") + e.what());
    }
}

}  // namespace kalvero
