// The drawing surface: targets, layout, tools, painter-drawn primitives, text, clipping, files.
// The pixel-level primitives (Wu and blended lines, flood fill) are in DataCanvasPixels.cpp.

#include "graphics/DataCanvas.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>

#include "common/Globals.h"
#include "common/MathProcs.h"
#include "graphics/Bmp2Tiff.h"
#include "graphics/BmpFile.h"
#include "graphics/GuiRuntime.h"

namespace kalvero {
namespace {

constexpr double kPageUnitsPerMm = 100.0;            // hundredths of a millimetre
constexpr double kPageUnitsPerDot = 2540.0 / 600.0;  // pen widths and font heights: 1/600 inch
constexpr double kScreenPixelsPerPoint = 96.0 / 72.0;

int32_t CheckedInt(int64_t v) {
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
        throw std::overflow_error("Integer overflow");
    return static_cast<int32_t>(v);
}

int32_t RoundInt(double v) {
    return CheckedInt(Round(v));
}

QColor ToQColor(TColor c) {
    const TColor rgb = ColorToRgb(c);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

Qt::PenStyle ToQtPenStyle(TPenStyle s) {
    switch (s) {
        case psDash:
            return Qt::DashLine;
        case psDot:
            return Qt::DotLine;
        case psDashDot:
            return Qt::DashDotLine;
        case psDashDotDot:
            return Qt::DashDotDotLine;
        case psClear:
            return Qt::NoPen;
        default:
            return Qt::SolidLine;
    }
}

Qt::BrushStyle ToQtBrushStyle(TBrushStyle s) {
    switch (s) {
        case bsClear:
            return Qt::NoBrush;
        case bsHorizontal:
            return Qt::HorPattern;
        case bsVertical:
            return Qt::VerPattern;
        case bsFDiagonal:
            return Qt::FDiagPattern;
        case bsBDiagonal:
            return Qt::BDiagPattern;
        case bsCross:
            return Qt::CrossPattern;
        case bsDiagCross:
            return Qt::DiagCrossPattern;
        default:
            return Qt::SolidPattern;
    }
}

QPainter::CompositionMode ToPenComposition(TPenMode m) {
    switch (m) {
        case pmNotXor:
            return QPainter::RasterOp_NotSourceXorDestination;
        case pmXor:
            return QPainter::RasterOp_SourceXorDestination;
        case pmNot:
            return QPainter::RasterOp_NotDestination;
        default:
            return QPainter::CompositionMode_SourceOver;
    }
}

QPainter::CompositionMode ToCopyComposition(TCopyMode m) {
    switch (m) {
        case cmSrcPaint:
            return QPainter::RasterOp_SourceOrDestination;
        case cmSrcAnd:
            return QPainter::RasterOp_SourceAndDestination;
        case cmSrcInvert:
            return QPainter::RasterOp_SourceXorDestination;
        case cmNotSrcCopy:
            return QPainter::RasterOp_NotSource;
        case cmDstInvert:
            return QPainter::RasterOp_NotDestination;
        case cmBlackness:
            return QPainter::RasterOp_ClearDestination;
        case cmWhiteness:
            return QPainter::RasterOp_SetDestination;
        default:
            return QPainter::CompositionMode_SourceOver;
    }
}

}  // namespace

TDataCanvas::TDataCanvas() {
    EnsureGuiApplication();
    RebuildFont();
}

TDataCanvas::~TDataCanvas() {
    EndPainter();
}

// Targets and layout ----------------------------------------------------------------------

void TDataCanvas::SetCanvas(QImage* aCanvas, int32_t aWidth, int32_t aHeight) {
    if (aCanvas != screenCanvas) {
        if (!isPrinting) EndPainter();
        screenCanvas = aCanvas;
    }
    // Pixels are written straight into the picture's rows, which must be 32-bit RGB.
    if (screenCanvas && screenCanvas->format() != QImage::Format_RGB32 &&
        screenCanvas->format() != QImage::Format_ARGB32 &&
        screenCanvas->format() != QImage::Format_ARGB32_Premultiplied) {
        *screenCanvas = screenCanvas->convertToFormat(QImage::Format_RGB32);
    }
    SetPrinting(false);
    width = aWidth;
    height = aHeight;
}

void TDataCanvas::SetCanvas(QPagedPaintDevice* aCanvas) {
    if (aCanvas != printCanvas) {
        if (isPrinting) EndPainter();
        printCanvas = aCanvas;
    }
    SetPrinting(true);
}

void TDataCanvas::SetPrinting(bool aIsPrinting) {
    if (aIsPrinting && !printCanvas) throw EDataCanvasException("Cannot set printing to empty print canvas");
    if (!aIsPrinting && !screenCanvas) throw EDataCanvasException("Cannot set drawing to empty draw canvas");
    if (aIsPrinting != isPrinting) {
        EndPainter();  // a clip region belongs to its target
        fRgn = false;
        if (aIsPrinting) {
            oldWidth = width, oldHeight = height;
        } else {
            width = oldWidth, height = oldHeight;
        }
        isPrinting = aIsPrinting;
    }
    UpdateMargins();
}

void TDataCanvas::SetDimensions(int32_t aWidth, int32_t aHeight) {
    // While printing the new screen size waits in the saved size.
    if (isPrinting) {
        oldWidth = aWidth, oldHeight = aHeight;
    } else {
        width = aWidth, height = aHeight;
    }
    PCM = 1;
    UpdateMargins();
}

void TDataCanvas::SetPaddings(int32_t aLeftPadding, int32_t aRightPadding, int32_t aBottomPadding) {
    paddingLeft = aLeftPadding;
    paddingRight = aRightPadding;
    paddingBottom = aBottomPadding;
    UpdateMargins();
}

void TDataCanvas::UpdateMargins() {
    if (isPrinting) {
        PCM = 20, FSM = 5, WSM = 4;
        const QPageLayout layout = printCanvas->pageLayout();
        const QRectF page = layout.fullRect(QPageLayout::Millimeter);
        const QMarginsF m = layout.margins(QPageLayout::Millimeter);
        width = RoundInt(page.width() * kPageUnitsPerMm);
        height = RoundInt(page.height() * kPageUnitsPerMm);
        marginLeft = RoundInt(m.left() * kPageUnitsPerMm);
        marginRight = RoundInt(m.right() * kPageUnitsPerMm);
        marginTop = RoundInt(m.top() * kPageUnitsPerMm);
        marginBottom = RoundInt(m.bottom() * kPageUnitsPerMm);
        clientWidth = CheckedInt(int64_t{width} - marginLeft - marginRight);
        clientHeight = CheckedInt(int64_t{height} - marginTop - marginBottom);
        paddingTop = std::max(PCM * 100, clientHeight * 5 / 100);
        const bool landscape = layout.orientation() == QPageLayout::Landscape;
        graphicHeight = RoundInt(clientHeight * (landscape ? 0.6 : 0.4));
        graphicWidth = CheckedInt(int64_t{clientWidth} - paddingLeft - paddingRight);
        paddingBottom = CheckedInt(int64_t{clientHeight} - paddingTop - graphicHeight);
    } else {
        marginLeft = 10, marginRight = 10, marginTop = 0, marginBottom = 10;
        clientWidth = CheckedInt(int64_t{width} - 20);
        clientHeight = CheckedInt(int64_t{height} - 10);
        paddingTop = std::max(20, clientHeight * 5 / 100);
        graphicWidth = CheckedInt(int64_t{clientWidth} - paddingLeft - paddingRight);
        graphicHeight = CheckedInt(int64_t{clientHeight} - paddingTop - paddingBottom);
        PCM = 1, FSM = 1, WSM = 1;
    }
    // A window too small for its paddings still has a one-pixel graph: every scale divides by it.
    graphicWidth = std::max(1, graphicWidth);
    graphicHeight = std::max(1, graphicHeight);

    if (gConfig) {
        TDisplayParams& d = gConfig->display;
        const int caption = HLLim(10, 16, graphicHeight / 40 * 2);
        d._captionFontSize = static_cast<uint8_t>(caption);
        d._textFontSize = static_cast<uint8_t>(Round(caption * 1.1));
        d._headerFontSize = static_cast<uint8_t>(Round(caption * 1.2));
        d.smallCaptionFontSize = static_cast<uint8_t>(Round(caption * 0.8));
    }
    RebuildFont();
}

// Painting ----------------------------------------------------------------------------------

QPainter& TDataCanvas::Painter() {
    if (!fPainter || !fPainter->isActive()) BeginPainter();
    return *fPainter;
}

void TDataCanvas::BeginPainter() {
    QPaintDevice* device =
        isPrinting ? static_cast<QPaintDevice*>(printCanvas) : static_cast<QPaintDevice*>(screenCanvas);
    if (!device) {
        throw EDataCanvasException(isPrinting ? "Cannot set printing to empty print canvas"
                                              : "Cannot set drawing to empty draw canvas");
    }
    if (!fPainter) fPainter = std::make_unique<QPainter>();
    if (!fPainter->begin(device)) throw EDataCanvasException("Cannot begin painting on the canvas");
    if (isPrinting) {
        // Page units to device pixels, with the origin moved from the printable area to the
        // corner of the sheet.
        const double sx = printCanvas->logicalDpiX() / 2540.0, sy = printCanvas->logicalDpiY() / 2540.0;
        const QRect paint = printCanvas->pageLayout().paintRectPixels(printCanvas->logicalDpiX());
        fPainter->setWorldTransform(QTransform(sx, 0, 0, sy, -paint.left(), -paint.top()));
        fPainter->setRenderHint(QPainter::Antialiasing, true);
    }
    if (fRgn) fPainter->setClipRect(QRect(QPoint(fLeft, fTop), QPoint(fLeft1 - 1, fTop1 - 1)));
}

void TDataCanvas::EndPainter() {
    if (fPainter && fPainter->isActive()) fPainter->end();
}

void TDataCanvas::Flush() {
    if (!isPrinting) EndPainter();
}

// Tools -------------------------------------------------------------------------------------

TColor TDataCanvas::CheckColorForPrinting(TColor aColor) const {
    const TColor rgb = ColorToRgb(aColor);
    if (gConfig && gConfig->allowColorPrinting) return rgb;
    const int g = (GetRValue(rgb) + GetGValue(rgb) + GetBValue(rgb)) / 3;
    return RGB(g, g, g);
}

void TDataCanvas::SetPen(TPenStyle aStyle, TColor aColor, int aWidth) {
    SetPen(aStyle, aColor, aWidth, pmCopy);
}

void TDataCanvas::SetPen(TPenStyle aStyle, TColor aColor, int aWidth, TPenMode aMode) {
    fPenStyle = aStyle, fPenColor = aColor, fPenWidth = aWidth, fPenMode = aMode;
}

void TDataCanvas::SetPenMode(TPenMode aMode) {
    fPenMode = aMode;
}
void TDataCanvas::SetPenModeNormal() {
    fPenMode = pmCopy;
}
void TDataCanvas::SetPenModeSelection() {
    SetPen(psSolid, clRed, 1, pmNotXor);
}
void TDataCanvas::SetBrush(TBrushStyle aStyle, TColor aColor) {
    fBrushStyle = aStyle, fBrushColor = aColor;
}
void TDataCanvas::SetBrushStyle(TBrushStyle aStyle) {
    fBrushStyle = aStyle;
}

void TDataCanvas::SetFont(const std::string& aFontName, int aHeight, TColor aColor, TFontStyles aStyle) {
    fFontName = aFontName, fFontHeight = aHeight, fFontColor = aColor, fFontStyle = aStyle;
    RebuildFont();
}

void TDataCanvas::RebuildFont() {
    QFont f(ResolveFontFamily(fFontName));
    const double pixels = std::abs(fFontHeight) * kScreenPixelsPerPoint;
    f.setPixelSize(
        std::max(1, static_cast<int>(std::lround(isPrinting ? pixels * FSM * kPageUnitsPerDot : pixels))));
    f.setBold(fFontStyle & fsBold);
    f.setItalic(fFontStyle & fsItalic);
    f.setUnderline(fFontStyle & fsUnderline);
    f.setStrikeOut(fFontStyle & fsStrikeOut);
    fFont = f;
}

void TDataCanvas::ApplyPen(QPainter& p) const {
    if (isPrinting) {
        QPen pen(ToQColor(CheckColorForPrinting(fPenColor)));
        pen.setStyle(ToQtPenStyle(fPenStyle));
        pen.setWidthF(std::max(1, fPenWidth) * WSM * kPageUnitsPerDot);
        p.setPen(pen);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        return;
    }
    QPen pen(ToQColor(fPenColor));
    pen.setStyle(ToQtPenStyle(fPenStyle));
    pen.setWidth(std::max(1, fPenWidth));
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    p.setCompositionMode(ToPenComposition(fPenMode));
}

void TDataCanvas::ApplyBrush(QPainter& p) const {
    TColor color = fBrushColor;
    if (isPrinting) {
        if (gConfig && ColorToRgb(color) == ColorToRgb(gConfig->display.backGroundColor)) color = clWhite;
        color = CheckColorForPrinting(color);
    }
    p.setBrush(QBrush(ToQColor(color), ToQtBrushStyle(fBrushStyle)));
}

// Coordinates -------------------------------------------------------------------------------

void TDataCanvas::TakePadding(bool aWithPadding, int& x, int& y) const {
    x = CheckedInt(int64_t{x} + marginLeft + (aWithPadding ? paddingLeft : 0));
    y = CheckedInt(int64_t{y} + marginTop + (aWithPadding ? paddingTop : 0));
}

void TDataCanvas::AddPaddings(int& x, int& y) const {
    x = AddPaddingX(x);
    y = AddPaddingY(y);
}

int TDataCanvas::AddPaddingX(int x) const {
    const int l = marginLeft + paddingLeft;
    return HLLim(l, CheckedInt(int64_t{l} + graphicWidth), CheckedInt(int64_t{x} + l));
}

int TDataCanvas::AddPaddingY(int y) const {
    const int t = marginTop + paddingTop;
    return HLLim(t, CheckedInt(int64_t{t} + graphicHeight), CheckedInt(int64_t{y} + t));
}

double TDataCanvas::GetScaledXr(double a, double b, int x) const {
    return (static_cast<double>(x) - paddingLeft - marginLeft) / graphicWidth * (b - a) + a;
}

int TDataCanvas::GetScaledX(double a, double b, int x) const {
    return RoundInt(GetScaledXr(a, b, x));
}

double TDataCanvas::GetScaledYr(double a, double b, int y) const {
    return a + (static_cast<double>(graphicHeight) - y + paddingTop + marginTop) / graphicHeight * (b - a);
}

int TDataCanvas::GetScaledY(int a, int b, int y) const {
    return RoundInt(GetScaledYr(a, b, y));
}

QRect TDataCanvas::GraphRect(bool aWithPadding) const {
    int x = 0, y = 0;
    TakePadding(aWithPadding, x, y);
    return QRect(x, y, graphicWidth, graphicHeight);
}

// Clipping and locking ----------------------------------------------------------------------

void TDataCanvas::InitClipRgn(bool aWithPadding) {
    const QRect r = GraphRect(aWithPadding);
    // The stored rectangle is reused while it stays the same.
    if (r.left() != fLeft || r.top() != fTop || r.right() + 1 != fLeft1 || r.bottom() + 1 != fTop1) {
        fLeft = r.left(), fTop = r.top(), fLeft1 = r.right() + 1, fTop1 = r.bottom() + 1;
    }
    fRgn = true;
    Painter().setClipRect(r);
}

void TDataCanvas::ResetClipRgn() {
    fRgn = false;
    if (fPainter && fPainter->isActive()) fPainter->setClipping(false);
}

template <typename F>
void TDataCanvas::WithGraphClip(bool aWithClipping, F aDraw) {
    if (!aWithClipping) {
        aDraw();
        return;
    }
    const bool had = fRgn;
    const int l = fLeft, t = fTop, r = fLeft1, b = fTop1;
    InitClipRgn(true);
    aDraw();
    if (had) {
        fLeft = l, fTop = t, fLeft1 = r, fTop1 = b;
        Painter().setClipRect(QRect(QPoint(l, t), QPoint(r - 1, b - 1)));
    } else {
        ResetClipRgn();
    }
}

bool TDataCanvas::TryLock() {
    return isPrinting || !fLocked.exchange(true);
}

void TDataCanvas::UnLock() {
    if (!isPrinting) fLocked = false;
}

// Primitives --------------------------------------------------------------------------------

void TDataCanvas::PlainLine(int x1, int y1, int x2, int y2) {
    QPainter& p = Painter();
    ApplyPen(p);
    p.drawLine(x1, y1, x2, y2);
}

void TDataCanvas::Line(int x1, int y1, int x2, int y2, bool aWithPadding, bool aAntiAlias) {
    Line(x1, y1, x2, y2, aWithPadding, aAntiAlias, 0.0f);
}

void TDataCanvas::Line(int x1, int y1, int x2, int y2, bool aWithPadding, bool aAntiAlias,
                       float aAlphaBlend) {
    TakePadding(aWithPadding, x1, y1);
    TakePadding(aWithPadding, x2, y2);
    if (isPrinting) {
        PlainLine(x1, y1, x2, y2);
    } else if (aAntiAlias) {
        WuLine(x1, y1, x2, y2);
    } else if (aAlphaBlend != 0) {
        AlphaBlendLine(x1, y1, x2, y2, aAlphaBlend, fPenColor);
    } else {
        PlainLine(x1, y1, x2, y2);
    }
}

void TDataCanvas::Rectangle(int x1, int y1, int x2, int y2, bool aWithPadding) {
    TakePadding(aWithPadding, x1, y1);
    TakePadding(aWithPadding, x2, y2);
    if (isPrinting) {
        QPainter& p = Painter();
        ApplyPen(p);
        ApplyBrush(p);
        p.drawRect(QRect(QPoint(x1, y1), QPoint(x2, y2)).normalized());
        return;
    }
    // The four sides, each pixel once: in not-xor mode a corner drawn twice would vanish.
    QPainter& p = Painter();
    ApplyPen(p);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1), std::abs(y2 - y1)));
}

void TDataCanvas::FillRectangle(int x1, int y1, int x2, int y2, bool aWithPadding) {
    FillRectangle(x1, y1, x2, y2, aWithPadding, 0.0f);
}

void TDataCanvas::FillRectangle(int x1, int y1, int x2, int y2, bool aWithPadding, float aAlphaBlend) {
    TakePadding(aWithPadding, x1, y1);
    TakePadding(aWithPadding, x2, y2);
    QPainter& p = Painter();
    if (isPrinting) {
        p.setPen(Qt::NoPen);
        ApplyBrush(p);
        p.drawRect(
            QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2), std::max(y1, y2))));
        return;
    }
    if (aAlphaBlend != 0) {
        for (int x = std::min(x1, x2); x <= std::max(x1, x2); ++x)
            AlphaBlendLine(x, y1, x, y2, aAlphaBlend, fBrushColor);
        return;
    }
    if (fBrushStyle == bsClear) return;
    // Right and bottom edges excluded.
    const QRect r(std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1), std::abs(y2 - y1));
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.fillRect(r, QBrush(ToQColor(fBrushColor), ToQtBrushStyle(fBrushStyle)));
}

void TDataCanvas::DrawEllipseAt(int x1, int y1, int x2, int y2) {
    QPainter& p = Painter();
    ApplyPen(p);
    ApplyBrush(p);
    p.drawEllipse(QRect(QPoint(std::min(x1, x2), std::min(y1, y2)),
                        QPoint(std::max(x1, x2) - 1, std::max(y1, y2) - 1)));
}

void TDataCanvas::Ellipse(int x1, int y1, int x2, int y2, bool aWithPadding) {
    TakePadding(aWithPadding, x1, y1);
    TakePadding(aWithPadding, x2, y2);
    DrawEllipseAt(x1, y1, x2, y2);
}

void TDataCanvas::Ellipse(int x1, int y1, int x2, int y2, bool aWithPadding, bool aWithClipping) {
    TakePadding(aWithPadding, x1, y1);
    TakePadding(aWithPadding, x2, y2);
    WithGraphClip(aWithClipping, [&] { DrawEllipseAt(x1, y1, x2, y2); });
}

void TDataCanvas::Polyline(const TPoints& aPoints, bool aWithPadding) {
    const bool aa = gConfig && gConfig->useAA;
    for (size_t i = 0; i + 1 < aPoints.size(); ++i) {
        Line(aPoints[i].x, aPoints[i].y, aPoints[i + 1].x, aPoints[i + 1].y, aWithPadding, aa);
        if (i + 2 == aPoints.size())
            Line(aPoints[i + 1].x, aPoints[i + 1].y, aPoints[0].x, aPoints[0].y, aWithPadding, aa);
    }
}

void TDataCanvas::PolylineOpen(const TPoints& aPoints, bool aWithPadding, bool aAntiAlias) {
    if (aPoints.size() < 2) return;
    // Wu lines are one pixel wide; wider pens are smoothed by the painter.
    if (aAntiAlias && !isPrinting && fPenWidth <= 1) {
        for (size_t i = 0; i + 1 < aPoints.size(); ++i)
            Line(aPoints[i].x, aPoints[i].y, aPoints[i + 1].x, aPoints[i + 1].y, aWithPadding, true);
        return;
    }
    QPolygon polygon(static_cast<int>(aPoints.size()));
    for (size_t i = 0; i < aPoints.size(); ++i) {
        int x = aPoints[i].x, y = aPoints[i].y;
        TakePadding(aWithPadding, x, y);
        polygon.setPoint(static_cast<int>(i), x, y);
    }
    QPainter& p = Painter();
    ApplyPen(p);
    const bool smooth = aAntiAlias && !isPrinting;
    if (smooth) p.setRenderHint(QPainter::Antialiasing, true);
    p.drawPolyline(polygon);
    if (smooth) p.setRenderHint(QPainter::Antialiasing, false);
}

// Text --------------------------------------------------------------------------------------

int TDataCanvas::GetTextWidth(const std::string& s) const {
    return static_cast<int>(std::lround(QFontMetricsF(fFont).horizontalAdvance(QString::fromStdString(s))));
}

int TDataCanvas::GetTextHeight(const std::string& s) const {
    (void)s;  // one height for every text of a font, as the toolkit measures it
    return static_cast<int>(std::lround(QFontMetricsF(fFont).height()));
}

void TDataCanvas::TextOut(int x, int y, const std::string& aText, bool aWithPadding) {
    TakePadding(aWithPadding, x, y);
    QPainter& p = Painter();
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (fBrushStyle != bsClear) {
        TColor back = fBrushColor;
        if (isPrinting) {
            if (gConfig && ColorToRgb(back) == ColorToRgb(gConfig->display.backGroundColor)) back = clWhite;
            back = CheckColorForPrinting(back);
        }
        p.fillRect(QRect(x, y, GetTextWidth(aText), GetTextHeight(aText)), ToQColor(back));
    }
    p.setFont(fFont);
    p.setPen(ToQColor(isPrinting ? CheckColorForPrinting(fFontColor) : fFontColor));
    p.drawText(QPointF(x, y + QFontMetricsF(fFont).ascent()), QString::fromStdString(aText));
}

void TDataCanvas::TextBox(int x1, int y1, int x2, int y2, const std::string& aText, TJustify aJustify,
                          bool aWithPadding) {
    // The same placement on both targets: centred on the box's middle line, or on (x1, y1)
    // when the box has no width or height.
    const int w = x2 - x1, h = y2 - y1;
    const int tw = GetTextWidth(aText), th = GetTextHeight(aText);
    const int y = h > 0 ? y1 + h / 2 - th / 2 : y1 - th / 2;
    int x = x1 - tw / 2;
    if (w > 0) {
        x = aJustify == tjLeft ? x1 : aJustify == tjCenter ? x1 + w / 2 - tw / 2 : x1 + w - tw;
    }
    TextOut(x, y, aText, aWithPadding);
}

// Bitmaps and fills -------------------------------------------------------------------------

void TDataCanvas::DrawBitmap(int x, int y, const QImage& aBitmap, TCopyMode aMode, bool aWithPadding) {
    TakePadding(aWithPadding, x, y);
    DirectDrawBitmap(x, y, aBitmap, aMode);
}

void TDataCanvas::DirectDrawBitmap(int x, int y, const QImage& aBitmap, TCopyMode aMode) {
    QPainter& p = Painter();
    // Pages cannot combine with what is already printed: bitmaps are copied there.
    p.setCompositionMode(isPrinting ? QPainter::CompositionMode_SourceOver : ToCopyComposition(aMode));
    p.drawImage(QPoint(x, y), aBitmap);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TDataCanvas::SpecialFill(TCopyMode mode, int x1, int y1, int x2, int y2) {
    const int w = std::abs(x2 - x1), h = std::abs(y2 - y1);
    if (w == 0 || h == 0) return;
    QImage blank(w, h, QImage::Format_RGB32);
    blank.fill(Qt::white);
    // At the top-left corner of the two points, so that a box dragged leftwards or upwards
    // covers the area between them.
    DirectDrawBitmap(std::min(x1, x2), std::min(y1, y2), blank, mode);
}

void TDataCanvas::FloodFill(int x, int y, TColor aColor, TFillStyle aFillStyle, bool aWithPadding) {
    TakePadding(aWithPadding, x, y);
    FloodFillAt(x, y, aColor, aFillStyle);
}

void TDataCanvas::DirectLine(int x1, int y1, int x2, int y2, bool aWithClipping) {
    WithGraphClip(aWithClipping, [&] { PlainLine(x1, y1, x2, y2); });
}

void TDataCanvas::DirectRectangle(int x1, int y1, int x2, int y2, bool aWithClipping) {
    WithGraphClip(aWithClipping, [&] {
        QPainter& p = Painter();
        ApplyPen(p);
        ApplyBrush(p);
        p.drawRect(QRect(QPoint(x1, y1), QPoint(x2, y2)).normalized());
    });
}

void TDataCanvas::DirectFillRectangle(int x1, int y1, int x2, int y2, bool aWithClipping) {
    WithGraphClip(aWithClipping, [&] {
        if (fBrushStyle == bsClear && !isPrinting) return;
        QPainter& p = Painter();
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.setPen(Qt::NoPen);
        ApplyBrush(p);
        p.drawRect(QRect(std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1), std::abs(y2 - y1)));
    });
}

void TDataCanvas::DirectFloodFill(int x, int y, TColor aColor, TFillStyle aFillStyle, bool aWithClipping) {
    WithGraphClip(aWithClipping, [&] { FloodFillAt(x, y, aColor, aFillStyle); });
}

// Files -------------------------------------------------------------------------------------

QImage TDataCanvas::Grab() const {
    if (!screenCanvas || isPrinting || width <= 0 || height <= 0) return QImage();
    return screenCanvas->copy(0, 0, width, height).convertToFormat(QImage::Format_RGB888);
}

void TDataCanvas::SaveToBmpFile(const std::string& aFileName) {
    if (!screenCanvas || isPrinting) return;
    std::filesystem::path name(aFileName);
    name.replace_extension(".bmp");
    WriteBmpFile(name.string(), Grab());
}

void TDataCanvas::SaveToTiffFile(const std::string& aFileName) {
    if (!screenCanvas || isPrinting) return;
    WriteTiffToFile(aFileName, Grab());
}

}  // namespace kalvero
