#pragma once
// Where the operator's mouse meets the plot: surface pixels to items and readings over the
// selected windows, the draggable object under the mouse and what dropping it does, the zoom
// steps, the zoom rectangle and the scroll bars. A data window presents these; nothing here
// draws or knows a window.

#include <cstdint>
#include <optional>
#include <vector>

#include "data/DataClass.h"

namespace kalvero {

class TDataCanvas;

// The selection gesture of a work mode and the drag of an object under the mouse.
enum TModifyMode : uint8_t {
    MM_NONE = 0,
    MM_LINE_SELECT,      // a vertical line follows the mouse; a click acts
    MM_BOX_SELECT,       // a rectangle is dragged
    MM_VERTAREA_SELECT,  // a vertical strip is dragged
    MM_MODIFY_HORZ,      // a horizontal line is dragged up or down
    MM_MODIFY_VERT,      // a vertical line is dragged sideways
    MM_MODIFY_POINT,
    MM_MODIFY_MOVE
};

// The cursor a draggable object asks for.
enum class TDragCursor : uint8_t { dcNone, dcUpDown, dcLeftRight, dcFourWay };

// How near (pixels) the mouse must be to take hold of an object.
inline constexpr int HIT_DISTANCE = 2;

struct TScreenHit {
    TScreenCoord coord;
    TModifyMode modifyMode = MM_NONE;
    TDragCursor cursor = TDragCursor::dcNone;
};

// The first entry of aCoords within HIT_DISTANCE of (x, y), in surface pixels, that may be
// dragged in aMode; after a vertical-line match the search goes on and a later match wins.
std::optional<TScreenHit> FindScreenObject(const std::vector<TScreenCoord>& aCoords, TCurveMode aMode, int x,
                                           int y);

// A surface x to an item index over the selected x window (the second one with aSecondWindow),
// clamped into the record; the fractional index unclamped.
int PixelToItem(const TDataClass& d, const TDataCanvas& c, int x, bool aSecondWindow = false);
double PixelToItemReal(const TDataClass& d, const TDataCanvas& c, int x, bool aSecondWindow = false);
// A surface y to a reading in counts and to its value in the axis' real units over the first
// (or, with aSecondWindow, the second) y window as the last drawing scaled it.
int PixelToCounts(const TDataClass& d, const TDataCanvas& c, int y, bool aSecondWindow = false);
double PixelToReal(const TDataClass& d, const TDataCanvas& c, int y, bool aSecondWindow = false);

// Drops the dragged object aCoord at item aItem and the y of surface pixel aY: a zero line moves
// to that level, a peak margin, tangent point or top to that item, a base-line point to that
// level (back in counts at the point's temperature when dT is shown in degrees), an end of a glass
// transition's fitted stretch to that item. The calibrated values of channel 0 are refilled (not
// for a glass transition, which changes no reading). False when the object no longer exists.
bool DropScreenObject(TDataClass& d, const TDataCanvas& c, const TScreenCoord& aCoord, int aItem, int aY);

// The zoom buttons: the selected x window widened (narrowed) by 5 % of its width on each side,
// at least one item, never starting before the record or below 0, never empty. False when
// nothing changed.
bool ZoomXWindow(TDataClass& d, bool aWiden);
// The y window raised (lowered) by 5 % of its height on each side, at least one count; refused
// when it would be empty or leave the converter's range of the curve shown. The full y range
// grows to contain the window.
bool ZoomYWindow(TDataClass& d, bool aWiden);
// A zoom rectangle between two surface points: when it has width and height in data units it
// becomes the selected windows (both sets in the combined view). False otherwise.
bool ZoomToBox(TDataClass& d, const TDataCanvas& c, int x1, int y1, int x2, int y2);

// A scroll bar over a full range: values min … max, the page is the window.
struct TScrollRange {
    int32_t min = 0, max = 0, page = 1, singleStep = 1, pageStep = 1, value = 0;
};
TScrollRange HorzScrollRange(const TDataClass& d);
// The top of the bar is the highest reading: value 0 shows the window at the top of the range.
TScrollRange VertScrollRange(const TDataClass& d);
// Moves the window to the bar's value keeping its size; the vertical move also moves the second
// y window of the combined view in proportion.
void ScrollXTo(TDataClass& d, int32_t aValue);
void ScrollYTo(TDataClass& d, int32_t aValue);

}  // namespace kalvero
