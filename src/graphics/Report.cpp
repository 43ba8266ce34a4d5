#include "graphics/Report.h"

#include <QBuffer>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <functional>

#include "common/Config.h"
#include "common/FileUtil.h"
#include "data/DataClass.h"
#include "graphics/DataCanvas.h"
#include "graphics/GuiRuntime.h"
#include "graphics/PreviewFunc.h"

namespace kalvero {
namespace {

// Lays text and tables down a page and starts a new page where the next block does not fit.
class TReportWriter {
public:
    TReportWriter(QPagedPaintDevice& aDevice) : fDevice(aDevice), fPainter(&aDevice) {
        fFamily = ResolveFontFamily("Arial");
        fWidth = aDevice.width();
        fHeight = aDevice.height();
        fLine = Points(10) * 1.5;
    }

    void NewPage() {
        fDevice.newPage();
        fY = 0;
    }

    void Title(const std::string& aText) {
        SetFont(14, true);
        Text(0, fWidth, aText, fLine * 1.4);
        fY += fLine * 0.4;
    }

    void Heading(const std::string& aText) {
        Room(fLine * 3);
        fY += fLine * 0.4;
        SetFont(11, true);
        Text(0, fWidth, aText, fLine * 1.2);
    }

    void Line(const std::string& aText, bool aBold = false) {
        SetFont(9, aBold);
        const QRectF box(0, fY, fWidth, fHeight);
        const QRectF used = fPainter.boundingRect(box, Qt::TextWordWrap, QString::fromStdString(aText));
        Room(used.height());
        fPainter.drawText(QRectF(0, fY, fWidth, used.height()), Qt::TextWordWrap,
                          QString::fromStdString(aText));
        fY += used.height() + fLine * 0.2;
    }

    // Columns sized by aShares of the width; the first row, with aHeader, a bold header repeated
    // on a new page; rows whose last cell is aMarked drawn in red.
    void Table(const methods::TTextRows& aRows, const std::vector<double>& aShares,
               const std::string& aMarked, bool aHeader = true) {
        if (aRows.empty()) return;
        const auto draw = [&](const std::vector<std::string>& aRow, bool aBold) {
            SetFont(8.5, aBold);
            const double pad = fLine * 0.15;
            double height = fLine;
            std::vector<std::pair<double, double>> columns;  // left and width of each cell
            double x = 0;
            for (size_t c = 0; c < aRow.size() && c < aShares.size(); ++c) {
                const double w = fWidth * aShares[c];
                const QRectF box(x + pad, 0, w - 2 * pad, fHeight);
                height = std::max(
                    height,
                    fPainter.boundingRect(box, Qt::TextWordWrap, QString::fromStdString(aRow[c])).height() +
                        2 * pad);
                columns.emplace_back(x + pad, w - 2 * pad);
                x += w;
            }
            if (Room(height) && !aBold) Header(aRows.front());
            const bool marked = !aMarked.empty() && !aRow.empty() && aRow.back() == aMarked;
            fPainter.setPen(marked ? QColor(0xC0, 0, 0) : QColor(Qt::black));
            for (size_t c = 0; c < columns.size(); ++c)
                fPainter.drawText(QRectF(columns[c].first, fY + pad, columns[c].second, height),
                                  Qt::TextWordWrap, QString::fromStdString(aRow[c]));
            fPainter.setPen(QPen(QColor(0x90, 0x90, 0x90), 0));
            fPainter.drawLine(QPointF(0, fY + height), QPointF(fWidth, fY + height));
            fPainter.setPen(Qt::black);
            fY += height;
        };
        if (aHeader) {
            fHeader = [&](const std::vector<std::string>& aRow) { draw(aRow, true); };
            Header(aRows.front());
        }
        for (size_t k = aHeader ? 1 : 0; k < aRows.size(); ++k)
            draw(aRows[k], false);
        fHeader = nullptr;
        fY += fLine * 0.4;
    }

    // The picture at full width, its height in proportion.
    void Picture(const QImage& aImage) {
        const double height = fWidth * aImage.height() / std::max(1, aImage.width());
        Room(height);
        fPainter.drawImage(QRectF(0, fY, fWidth, height), aImage);
        fY += height + fLine * 0.5;
    }

    int PictureWidth() const { return fWidth; }

private:
    double Points(double aPoints) const { return aPoints * fDevice.logicalDpiY() / 72.0; }

    void SetFont(double aPoints, bool aBold) {
        QFont font(fFamily);
        font.setPointSizeF(aPoints);
        font.setBold(aBold);
        fPainter.setFont(font);
    }

    void Text(double aX, double aWidth, const std::string& aText, double aHeight) {
        Room(aHeight);
        fPainter.drawText(QRectF(aX, fY, aWidth, aHeight), Qt::AlignLeft | Qt::AlignVCenter,
                          QString::fromStdString(aText));
        fY += aHeight;
    }

    void Header(const std::vector<std::string>& aRow) {
        if (fHeader) fHeader(aRow);
    }

    // A new page when aHeight does not fit below; whether one was started.
    bool Room(double aHeight) {
        if (fY == 0 || fY + aHeight <= fHeight) return false;
        NewPage();
        return true;
    }

    QPagedPaintDevice& fDevice;
    QPainter fPainter;
    QString fFamily;
    int fWidth = 0, fHeight = 0;
    double fLine = 0, fY = 0;
    std::function<void(const std::vector<std::string>&)> fHeader;
};

void DrawPage(TReportWriter& w, const TReportItem& aItem) {
    const methods::TReportPage& p = aItem.page;
    w.Title(p.title);
    w.Line("Файл: " + p.file);
    if (!p.error.empty()) w.Line("Файл не оценён: " + p.error, true);
    if (!aItem.plot.isNull()) w.Picture(aItem.plot);
    if (!p.description.empty()) {
        w.Heading("Описание");
        methods::TTextRows rows;
        for (const auto& [name, value] : p.description)
            rows.push_back({name, value});
        w.Table(rows, {0.3, 0.7}, "", false);
    }
    if (p.results.size() > 1) {
        w.Heading("Результаты");
        w.Table(p.results, {0.05, 0.12, 0.14, 0.26, 0.15, 0.16, 0.12},
                methods::VerdictCaption(methods::EVerdict::Fail));
    }
    if (p.verdict != methods::EVerdict::None)
        w.Line("Заключение: " + methods::VerdictCaption(p.verdict), true);
    w.Heading("Калибровка");
    w.Line("Калибровочные таблицы: " + p.calibration);
    w.Line("Методика: " + p.method + " · " + p.program + " · Отчёт составлен: " + p.reportTime);
}

}  // namespace

QImage ReportPlot(TDataClass& d, int aWidth, int aHeight) {
    QImage image(aWidth, aHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    TDataCanvas canvas;
    canvas.SetCanvas(&image, aWidth, aHeight);
    canvas.SetDimensions(aWidth, aHeight);
    TDataCanvas* own = d.GetCanvas();
    d.SetCanvas(&canvas);
    try {
        d.Redraw();
    } catch (...) {
        d.SetCanvas(own);
        throw;
    }
    d.SetCanvas(own);
    return image;
}

void DrawReport(QPagedPaintDevice& aDevice, const std::vector<TReportItem>& aItems) {
    TReportWriter w(aDevice);
    if (aItems.size() > 1) {
        std::vector<methods::TReportPage> pages;
        for (const TReportItem& item : aItems)
            pages.push_back(item.page);
        w.Title("Сводка: файлов " + std::to_string(aItems.size()));
        w.Table(methods::SummaryRows(pages), {0.34, 0.22, 0.13, 0.13, 0.18},
                methods::VerdictCaption(methods::EVerdict::Fail));
        w.Line("Методика: " + aItems.front().page.method + " · " + aItems.front().page.program +
               " · Отчёт составлен: " + aItems.front().page.reportTime);
    }
    for (size_t k = 0; k < aItems.size(); ++k) {
        if (k > 0 || aItems.size() > 1) w.NewPage();
        DrawPage(w, aItems[k]);
    }
}

std::string ReportPdf(const TAppConfig& aConfig, const std::vector<TReportItem>& aItems) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(300);
        writer.setCreator("Kalvero");
        writer.setPageLayout(PrintPageLayout(aConfig, QPageLayout::Portrait));
        DrawReport(writer, aItems);
    }
    return std::string(buffer.data().constData(), static_cast<size_t>(buffer.data().size()));
}

void WriteReportPdf(const std::string& aFileName, const TAppConfig& aConfig,
                    const std::vector<TReportItem>& aItems) {
    WriteFileAtomic(aFileName, ReportPdf(aConfig, aItems));
}

}  // namespace kalvero
