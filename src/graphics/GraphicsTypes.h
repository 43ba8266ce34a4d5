#pragma once
// Drawing tools and colours shared by the drawing surface and the plot code: the toolkit's pen,
// brush, font and copy-mode vocabulary, and the conversion of configured colours to RGB.

#include <cstdint>
#include <vector>

#include "common/Config.h"

namespace kalvero {

enum TJustify : uint8_t { tjLeft = 0, tjCenter = 1, tjRight = 2 };

enum TPenStyle : uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear };
// Copy: the pen colour replaces the pixel; NotXor: not (pen xor pixel), drawn twice it vanishes.
enum TPenMode : uint8_t { pmCopy, pmNotXor, pmXor, pmNot };
enum TBrushStyle : uint8_t {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};
// Surface: fill the area of the given colour; Border: fill up to a border of the given colour.
enum TFillStyle : uint8_t { fsSurface, fsBorder };
// How a bitmap combines with the surface.
enum TCopyMode : uint8_t {
    cmSrcCopy,
    cmSrcPaint,  // source or destination
    cmSrcAnd,
    cmSrcInvert,  // source xor destination
    cmNotSrcCopy,
    cmDstInvert,
    cmBlackness,
    cmWhiteness
};

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;  // a set of TFontStyle bits

struct TIntPoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const TIntPoint&) const = default;
};
using TPoints = std::vector<TIntPoint>;

// A colour from its three components, in the configuration's $00BBGGRR form.
constexpr TColor RGB(int r, int g, int b) {
    return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(TColor c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int GetGValue(TColor c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int GetBValue(TColor c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

inline constexpr TColor clBlack = RGB(0, 0, 0);
inline constexpr TColor clWhite = RGB(255, 255, 255);
inline constexpr TColor clRed = RGB(255, 0, 0);
inline constexpr TColor clGreen = RGB(0, 128, 0);
inline constexpr TColor clBlue = RGB(0, 0, 255);
inline constexpr TColor clGray = RGB(128, 128, 128);

// A configured colour as a plain RGB colour: a value with the high byte $FF names a system
// colour, which becomes the system's stock value (the classic desktop defaults); other high
// bytes are ignored.
TColor ColorToRgb(TColor aColor);

// 0xAARRGGBB with full alpha, the pixel form of the screen picture.
inline uint32_t ColorToArgb(TColor aColor) {
    const TColor c = ColorToRgb(aColor);
    return 0xFF000000u | (static_cast<uint32_t>(GetRValue(c)) << 16) |
           (static_cast<uint32_t>(GetGValue(c)) << 8) | static_cast<uint32_t>(GetBValue(c));
}

}  // namespace kalvero
