// Primitives that write the screen picture's pixels themselves: Wu anti-aliased lines, blended
// lines and flood fill. Every write stays inside the picture, the surface and the clip region,
// and every walk is limited to the visible part, so far-off coordinates cost nothing.

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "graphics/DataCanvas.h"

namespace kalvero {
namespace {

// The writable pixels: rows of 0xAARRGGBB and the rectangle [left, right) × [top, bottom).
struct TPixelArea {
    QImage* image = nullptr;
    int left = 0, top = 0, right = 0, bottom = 0;

    bool Contains(int64_t x, int64_t y) const { return x >= left && x < right && y >= top && y < bottom; }
    uint32_t& At(int x, int y) const { return reinterpret_cast<uint32_t*>(image->scanLine(y))[x]; }

    // weight × colour + (1 − weight) × old, per channel, rounded.
    void Blend(int64_t x, int64_t y, uint32_t rgb, double w) const {
        if (!Contains(x, y) || w <= 0) return;
        uint32_t& p = At(static_cast<int>(x), static_cast<int>(y));
        if (w >= 1) {
            p = 0xFF000000u | rgb;
            return;
        }
        auto mix = [&](int shift) {
            const double c = static_cast<double>((rgb >> shift) & 0xFF),
                         o = static_cast<double>((p >> shift) & 0xFF);
            return static_cast<uint32_t>(std::nearbyint(w * c + (1 - w) * o)) << shift;
        };
        p = 0xFF000000u | mix(16) | mix(8) | mix(0);
    }
};

uint32_t Rgb(TColor c) {
    return ColorToArgb(c) & 0x00FFFFFFu;
}

// Cuts the segment to the rectangle [l, r] × [t, b] (Liang–Barsky); false when it misses it.
bool ClipSegment(double& x1, double& y1, double& x2, double& y2, double l, double t, double r, double b) {
    double t0 = 0, t1 = 1;
    const double dx = x2 - x1, dy = y2 - y1;
    const double p[4] = {-dx, dx, -dy, dy}, q[4] = {x1 - l, r - x1, y1 - t, b - y1};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0) {
            if (q[k] < 0) return false;
        } else {
            const double u = q[k] / p[k];
            if (p[k] < 0)
                t0 = std::max(t0, u);
            else
                t1 = std::min(t1, u);
        }
    }
    if (t0 > t1) return false;
    const double nx1 = x1 + t0 * dx, ny1 = y1 + t0 * dy;
    x2 = x1 + t1 * dx, y2 = y1 + t1 * dy;
    x1 = nx1, y1 = ny1;
    return true;
}

// The writable area of the screen picture: picture ∩ surface ∩ clip region.
TPixelArea PixelArea(QImage* aImage, int aWidth, int aHeight, bool aClip, int l, int t, int r, int b) {
    TPixelArea a;
    a.image = aImage;
    a.right = std::min(aImage->width(), aWidth);
    a.bottom = std::min(aImage->height(), aHeight);
    if (aClip) {
        a.left = std::max(a.left, l), a.top = std::max(a.top, t);
        a.right = std::min(a.right, r), a.bottom = std::min(a.bottom, b);
    }
    return a;
}

}  // namespace

void TDataCanvas::WuLine(int x1, int y1, int x2, int y2) {
    if (x1 == x2 || y1 == y2) {
        QPainter& p = Painter();
        const TColor c = ColorToRgb(fPenColor);
        p.setPen(QPen(QColor(GetRValue(c), GetGValue(c), GetBValue(c)), 1));
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.drawLine(x1, y1, x2, y2);
        return;
    }
    Painter();  // the painter owns the picture's rows while it is active
    const TPixelArea area = PixelArea(screenCanvas, width, height, fRgn, fLeft, fTop, fLeft1, fTop1);
    if (area.left >= area.right || area.top >= area.bottom) return;
    const uint32_t rgb = Rgb(fPenColor);
    const int64_t dx = int64_t{x2} - x1, dy = int64_t{y2} - y1;
    if (std::llabs(dy) < std::llabs(dx)) {
        if (x1 > x2) std::swap(x1, x2), std::swap(y1, y2);
        const double slope = static_cast<double>(y2 - int64_t{y1}) / static_cast<double>(x2 - int64_t{x1});
        const int64_t from = std::max<int64_t>(x1, area.left), to = std::min<int64_t>(x2, area.right - 1);
        for (int64_t x = from; x <= to; ++x) {
            const double y = y1 + static_cast<double>(x - x1) * slope;
            const double fy = std::floor(y), f = y - fy;
            area.Blend(x, static_cast<int64_t>(fy), rgb, 1 - f);
            area.Blend(x, static_cast<int64_t>(fy) + 1, rgb, f);
        }
    } else {
        if (y1 > y2) std::swap(x1, x2), std::swap(y1, y2);
        const double slope = static_cast<double>(x2 - int64_t{x1}) / static_cast<double>(y2 - int64_t{y1});
        const int64_t from = std::max<int64_t>(y1, area.top), to = std::min<int64_t>(y2, area.bottom - 1);
        for (int64_t y = from; y <= to; ++y) {
            const double x = x1 + static_cast<double>(y - y1) * slope;
            const double fx = std::floor(x), f = x - fx;
            area.Blend(static_cast<int64_t>(fx), y, rgb, 1 - f);
            area.Blend(static_cast<int64_t>(fx) + 1, y, rgb, f);
        }
    }
}

void TDataCanvas::AlphaBlendLine(int x1, int y1, int x2, int y2, float aAlpha, TColor aColor) {
    Painter();
    const TPixelArea area = PixelArea(screenCanvas, width, height, fRgn, fLeft, fTop, fLeft1, fTop1);
    if (area.left >= area.right || area.top >= area.bottom) return;
    int64_t ax = x1, ay = y1, bx = x2, by = y2;
    if (!area.Contains(ax, ay) || !area.Contains(bx, by)) {
        // Only the visible part is walked; a one-pixel border keeps the rounding of the cut
        // ends from changing which pixels inside are hit.
        double fx1 = x1, fy1 = y1, fx2 = x2, fy2 = y2;
        if (!ClipSegment(fx1, fy1, fx2, fy2, area.left - 1, area.top - 1, area.right, area.bottom)) return;
        ax = std::llround(fx1), ay = std::llround(fy1), bx = std::llround(fx2), by = std::llround(fy2);
    }
    const uint32_t rgb = Rgb(aColor);
    const int64_t dx = std::llabs(bx - ax), dy = -std::llabs(by - ay);
    const int64_t sx = ax < bx ? 1 : -1, sy = ay < by ? 1 : -1;
    int64_t err = dx + dy;
    for (;;) {
        area.Blend(ax, ay, rgb, aAlpha);
        if (ax == bx && ay == by) break;
        const int64_t e2 = 2 * err;
        if (e2 >= dy) err += dy, ax += sx;
        if (e2 <= dx) err += dx, ay += sy;
    }
}

void TDataCanvas::FloodFillAt(int x, int y, TColor aColor, TFillStyle aFillStyle) {
    if (isPrinting || !screenCanvas) return;
    Painter();
    const TPixelArea area = PixelArea(screenCanvas, width, height, fRgn, fLeft, fTop, fLeft1, fTop1);
    if (!area.Contains(x, y)) return;
    const uint32_t target = Rgb(aColor), fill = 0xFF000000u | Rgb(fBrushColor);
    auto fillable = [&](int px, int py) {
        const uint32_t c = area.At(px, py) & 0x00FFFFFFu;
        return aFillStyle == fsSurface ? c == target : c != target;
    };
    const int w = area.right - area.left;
    std::vector<bool> done(static_cast<size_t>(w) * static_cast<size_t>(area.bottom - area.top), false);
    auto seen = [&](int px, int py) {
        return done[static_cast<size_t>(py - area.top) * static_cast<size_t>(w) +
                    static_cast<size_t>(px - area.left)];
    };
    std::vector<std::pair<int, int>> stack{{x, y}};
    while (!stack.empty()) {
        auto [sx, sy] = stack.back();
        stack.pop_back();
        if (seen(sx, sy) || !fillable(sx, sy)) continue;
        int l = sx, r = sx;
        while (l > area.left && !seen(l - 1, sy) && fillable(l - 1, sy))
            --l;
        while (r + 1 < area.right && !seen(r + 1, sy) && fillable(r + 1, sy))
            ++r;
        for (int px = l; px <= r; ++px) {
            done[static_cast<size_t>(sy - area.top) * static_cast<size_t>(w) +
                 static_cast<size_t>(px - area.left)] = true;
            area.At(px, sy) = fill;
            for (int ny : {sy - 1, sy + 1}) {
                if (ny >= area.top && ny < area.bottom && !seen(px, ny)) stack.emplace_back(px, ny);
            }
        }
    }
}

}  // namespace kalvero
