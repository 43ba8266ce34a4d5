#pragma once
// TDataCanvas: the one surface experiment plots are drawn on, on screen and on paper. It hides
// the two targets behind one set of primitives, divides the area into margins, paddings (room
// for axes and titles) and the graph rectangle, converts between graph and surface coordinates,
// clips to the graph and saves the screen picture as BMP or TIFF.
//
// Targets. The screen target is a QImage in 32-bit RGB (another format is converted when it is
// attached); sizes are pixels. The print target is any QPagedPaintDevice (QPrinter, QPdfWriter):
// its page size, margins and orientation come from its page layout.
//
// Page unit for printing: coordinates and sizes (width, height, margins, paddings, text metrics)
// are hundredths of a millimetre, so the coordinate multiplier PCM = 20 makes one screen pixel
// 0.2 mm on paper (a 1400-pixel plot fills the width of a landscape A4 page) and the least header
// height PCM × 100 is 20 mm. Pen widths and font heights are counted in dots of 1/600 inch, so
// WSM = 4 makes a one-pixel pen 0.17 mm and FSM = 5 gives text the same size relative to the
// plot as on a 96-dpi screen. Both are converted to the device's own resolution.
//
// Fonts: heights are point sizes as on screen (96 dpi); configured names that are not installed
// fall back to their metric-compatible Liberation faces.

#include <atomic>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include <QFont>
#include <QRect>

#include "graphics/GraphicsTypes.h"

class QImage;
class QPainter;
class QPagedPaintDevice;

namespace kalvero {

class EDataCanvasException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TDataCanvas {
public:
    // Not printing, all sizes 0, no target.
    TDataCanvas();
    ~TDataCanvas();
    TDataCanvas(const TDataCanvas&) = delete;
    TDataCanvas& operator=(const TDataCanvas&) = delete;

    // Targets. The screen picture and the print device are not owned; attach the screen again
    // before a print device goes away. After SetCanvas(screen) the layout is recomputed at the
    // next SetDimensions or SetPaddings.
    void SetCanvas(QImage* aCanvas, int32_t aWidth, int32_t aHeight);
    void SetCanvas(QPagedPaintDevice* aCanvas);
    // EDataCanvasException when the target to switch to is not attached. Leaving printing ends
    // the page painting (a PDF is complete then) and restores the screen size.
    void SetPrinting(bool aIsPrinting);
    void SetDimensions(int32_t aWidth, int32_t aHeight);
    void SetPaddings(int32_t aLeftPadding, int32_t aRightPadding, int32_t aBottomPadding);
    // Ends painting on the screen picture; call before the picture is resized or replaced. Any
    // primitive starts painting again.
    void Flush();

    QImage* ScreenCanvas() const { return screenCanvas; }
    QPagedPaintDevice* PrintCanvas() const { return printCanvas; }
    bool IsPrinting() const { return isPrinting; }
    uint8_t GetPCM() const { return PCM; }
    uint8_t GetFSM() const { return FSM; }
    uint8_t GetWSM() const { return WSM; }

    int32_t GetWidth() const { return width; }
    int32_t GetHeight() const { return height; }
    int32_t GetClientWidth() const { return clientWidth; }
    int32_t GetClientHeight() const { return clientHeight; }
    int32_t GetGraphicWidth() const { return graphicWidth; }
    int32_t GetGraphicHeight() const { return graphicHeight; }
    int32_t GetMarginLeft() const { return marginLeft; }
    int32_t GetMarginRight() const { return marginRight; }
    int32_t GetMarginTop() const { return marginTop; }
    int32_t GetMarginBottom() const { return marginBottom; }
    int32_t GetPaddingLeft() const { return paddingLeft; }
    int32_t GetPaddingRight() const { return paddingRight; }
    int32_t GetPaddingTop() const { return paddingTop; }
    int32_t GetPaddingBottom() const { return paddingBottom; }
    TColor GetPenColor() const { return fPenColor; }
    int GetPenWidth() const { return fPenWidth; }
    TColor GetBrushColor() const { return fBrushColor; }

    // Tools. Printing greys colours (unless colour printing is allowed), whitens a brush of the
    // background colour, multiplies pen widths by WSM and font heights by FSM and draws in copy
    // mode whatever pen mode is set.
    void SetPen(TPenStyle aStyle, TColor aColor, int aWidth);
    void SetPen(TPenStyle aStyle, TColor aColor, int aWidth, TPenMode aMode);
    void SetPenMode(TPenMode aMode);
    void SetPenModeNormal();
    // Solid red pen of width 1 in not-xor mode: drawn twice, a selection frame vanishes.
    void SetPenModeSelection();
    void SetBrush(TBrushStyle aStyle, TColor aColor);
    void SetBrushStyle(TBrushStyle aStyle);
    void SetFont(const std::string& aFontName, int aHeight, TColor aColor, TFontStyles aStyle);
    TColor CheckColorForPrinting(TColor aColor) const;

    // Drawing. aWithPadding: coordinates relative to the graph rectangle when true, to the
    // margins when false. Anti-aliased (Wu) and blended lines go straight into the picture's
    // pixels on screen and keep inside the picture and the clip rectangle.
    void Line(int x1, int y1, int x2, int y2, bool aWithPadding, bool aAntiAlias);
    void Line(int x1, int y1, int x2, int y2, bool aWithPadding, bool aAntiAlias, float aAlphaBlend);
    void Rectangle(int x1, int y1, int x2, int y2, bool aWithPadding);
    void FillRectangle(int x1, int y1, int x2, int y2, bool aWithPadding);
    void FillRectangle(int x1, int y1, int x2, int y2, bool aWithPadding, float aAlphaBlend);
    void Ellipse(int x1, int y1, int x2, int y2, bool aWithPadding);
    void Ellipse(int x1, int y1, int x2, int y2, bool aWithPadding, bool aWithClipping);
    // A closed figure: consecutive points joined and the last joined back to the first.
    void Polyline(const TPoints& aPoints, bool aWithPadding);
    // An open line through the points (curves), anti-aliased like Line.
    void PolylineOpen(const TPoints& aPoints, bool aWithPadding, bool aAntiAlias);
    // Text with its top-left corner at (x, y); the background is filled unless the brush is clear.
    void TextOut(int x, int y, const std::string& aText, bool aWithPadding);
    void TextBox(int x1, int y1, int x2, int y2, const std::string& aText, TJustify aJustify,
                 bool aWithPadding);
    // Screen only: fills with the brush from (x, y) over the area of aColor (fsSurface) or up to
    // a border of aColor (fsBorder). Pages cannot be read back, so printing skips it.
    void FloodFill(int x, int y, TColor aColor, TFillStyle aFillStyle, bool aWithPadding);
    void DrawBitmap(int x, int y, const QImage& aBitmap, TCopyMode aMode, bool aWithPadding);
    // A blank (white) bitmap of |x2 − x1| × |y2 − y1| at surface point (x1, y1) in copy mode
    // aMode: selection effects such as inverting an area.
    void SpecialFill(TCopyMode mode, int x1, int y1, int x2, int y2);

    // Surface coordinates, optionally clipped to the graph rectangle for the call.
    void DirectLine(int x1, int y1, int x2, int y2, bool aWithClipping);
    void DirectRectangle(int x1, int y1, int x2, int y2, bool aWithClipping);
    void DirectFillRectangle(int x1, int y1, int x2, int y2, bool aWithClipping);
    void DirectFloodFill(int x, int y, TColor aColor, TFillStyle aFillStyle, bool aWithClipping);
    void DirectDrawBitmap(int x, int y, const QImage& aBitmap, TCopyMode aMode);

    // Extent of a text in the current font on the current target.
    int GetTextWidth(const std::string& s) const;
    int GetTextHeight(const std::string& s) const;

    // Coordinates. std::overflow_error when an offset leaves the 32-bit range.
    void TakePadding(bool aWithPadding, int& x, int& y) const;
    void AddPaddings(int& x, int& y) const;
    int AddPaddingX(int x) const;
    int AddPaddingY(int y) const;
    // Surface pixel to data value; a is the data value at the first, b at the last pixel.
    int GetScaledX(double a, double b, int x) const;
    double GetScaledXr(double a, double b, int x) const;
    int GetScaledY(int a, int b, int y) const;
    double GetScaledYr(double a, double b, int y) const;

    // Clipping to the graph rectangle (with or without the paddings' offset).
    void InitClipRgn(bool aWithPadding);
    void ResetClipRgn();

    // A timer-driven redraw skips a frame instead of waiting: true when printing or when the
    // screen lock was free (then it is held until UnLock; UnLock of a free lock does nothing).
    bool TryLock();
    void UnLock();

    // Screen only (nothing otherwise): the whole surface as a 24-bit picture. The BMP name gets
    // the extension ".bmp" whatever it had; the TIFF name is used as it is.
    void SaveToBmpFile(const std::string& aFileName);
    void SaveToTiffFile(const std::string& aFileName);
    // The surface as a 24-bit picture (screen only; a null picture otherwise).
    QImage Grab() const;

private:
    void UpdateMargins();
    QPainter& Painter();
    void BeginPainter();
    void EndPainter();
    void ApplyPen(QPainter& p) const;
    void ApplyBrush(QPainter& p) const;
    void RebuildFont();
    void PlainLine(int x1, int y1, int x2, int y2);
    void WuLine(int x1, int y1, int x2, int y2);
    void AlphaBlendLine(int x1, int y1, int x2, int y2, float aAlpha, TColor aColor);
    void FloodFillAt(int x, int y, TColor aColor, TFillStyle aFillStyle);
    QRect GraphRect(bool aWithPadding) const;
    void DrawEllipseAt(int x1, int y1, int x2, int y2);
    // Runs aDraw with the clip set to the graph rectangle (surface coordinates).
    template <typename F>
    void WithGraphClip(bool aWithClipping, F aDraw);

    // The screen clip region: its rectangle (left, top, right, bottom; right and bottom
    // excluded) and whether it is selected.
    int32_t fLeft = 0, fTop = 0, fLeft1 = 0, fTop1 = 0;
    bool fRgn = false;
    QPagedPaintDevice* printCanvas = nullptr;
    QImage* screenCanvas = nullptr;
    int32_t oldWidth = 0, oldHeight = 0;
    int32_t width = 0, height = 0;
    int32_t clientWidth = 0, clientHeight = 0;
    int32_t graphicWidth = 0, graphicHeight = 0;
    int32_t marginLeft = 0, marginRight = 0, marginTop = 0, marginBottom = 0;
    int32_t paddingLeft = 0, paddingRight = 0, paddingTop = 0, paddingBottom = 0;
    uint8_t PCM = 1, FSM = 1, WSM = 1;
    bool isPrinting = false;

    TPenStyle fPenStyle = psSolid;
    TColor fPenColor = clBlack;
    int fPenWidth = 1;
    TPenMode fPenMode = pmCopy;
    TBrushStyle fBrushStyle = bsSolid;
    TColor fBrushColor = clWhite;
    std::string fFontName = "Arial";
    int fFontHeight = 10;
    TColor fFontColor = clBlack;
    TFontStyles fFontStyle = 0;
    QFont fFont;  // the font as the current target draws it

    std::unique_ptr<QPainter> fPainter;
    std::atomic<bool> fLocked{false};  // the screen lock of TryLock / UnLock
};

}  // namespace kalvero
