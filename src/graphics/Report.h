#pragma once
// The printed report: for each experiment a page with its plot (constructions and labels as the
// data window draws them), its description, its results with limits and verdicts, the calibration
// tables in use, the method, the program and the time of the report; a batch begins with a page
// of the summary. A4 portrait with the configured print margins, through Qt's PDF writer (fonts
// embedded) or any printer.

#include <QImage>
#include <QPageLayout>

#include <string>
#include <vector>

#include "methods/ReportContent.h"

class QPagedPaintDevice;

namespace kalvero {

class TAppConfig;
class TDataClass;

struct TReportItem {
    methods::TReportPage page;
    QImage plot;  // empty when the file could not be read
};

// The report's plot size in pixels: the width of a portrait page's text at 300 dpi.
inline constexpr int REPORT_PLOT_WIDTH = 2400, REPORT_PLOT_HEIGHT = 1150;

// The plot of aData as the report shows it, aWidth × aHeight pixels, in the view the experiment
// has. The experiment is drawn on a surface of its own and given back its own surface afterwards.
QImage ReportPlot(TDataClass& aData, int aWidth = REPORT_PLOT_WIDTH, int aHeight = REPORT_PLOT_HEIGHT);

// Every page onto aDevice, which must not have a painter yet; the summary first when there is
// more than one item.
void DrawReport(QPagedPaintDevice& aDevice, const std::vector<TReportItem>& aItems);

// The report as PDF bytes, and written to aFileName whole or not at all.
std::string ReportPdf(const TAppConfig& aConfig, const std::vector<TReportItem>& aItems);
void WriteReportPdf(const std::string& aFileName, const TAppConfig& aConfig,
                    const std::vector<TReportItem>& aItems);

}  // namespace kalvero
