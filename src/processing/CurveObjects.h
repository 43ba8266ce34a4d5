#pragma once
// Records shared by the objects placed on the curves (peaks and their draggable lines) and by
// the drawing code that shows them.

#include <cstdint>
#include <vector>

namespace kalvero {

// An item position and a raw reading.
struct TPoint {
    int32_t x = 0;
    int32_t y = 0;
};

// x: item index, y: reading in counts; sx, sy: screen position, filled by drawing.
struct TCoordPoint {
    int32_t x = 0;
    int32_t y = 0;
    int32_t sx = 0;
    int32_t sy = 0;
};

enum TCutLineType : uint8_t {
    CUTLINE_VIRTUALBASELINE_DT = 0,
    CUTLINE_VIRTUALBASELINE_T = 1,
    CUTLINE_TANGENT = 2,
    CUTLINE_PEAKBASELINE = 3,
    CUTLINE_PEAKLEFTMARGIN = 4,
    CUTLINE_PEAKRIGHTMARGIN = 5,
    CUTLINE_PEAKTOP = 6,
    CUTLINE_PEAKACTIVATIONENERGY_SEGMENT = 7,
    CUTLINE_GLASSTRANSITION_STRETCH = 8  // an end of a glass transition's fitted stretch
};

// How the data window lets a dragged point move.
enum TDragType : uint8_t {
    DRAGTYPE_NONE = 0,
    DRAGTYPE_XY_moveXcrossedY = 1,
    DRAGTYPE_X_moveXfixedY = 2,
    DRAGTYPE_pointXrangeY_moveXfixedY = 3,
    DRAGTYPE_Y_moveYfixedX = 4,
    DRAGTYPE_XY_moveYfixedX = 5,
    DRAGTYPE_XY_MOVEXY = 6
};

struct TCutLine {
    std::vector<TCoordPoint> points;
    TCutLineType lineType = CUTLINE_VIRTUALBASELINE_DT;
    TDragType dragType = DRAGTYPE_NONE;
    bool invalid = false;  // the foot fell outside the peak and was moved to a fallback point
};

// One sub-area of a peak: items begX … endX.
struct RPeakAreaValue {
    int32_t begX = 0;
    int32_t endX = 0;
    long double rawArea = 0;                   // counts
    long double timeRelatedRawArea = 0;        // counts × seconds
    long double timeRelatedRealUnitsArea = 0;  // degrees × seconds
    long double calibratedArea = 0;            // kept for plug-ins; not filled here
};

enum TPeakState : uint8_t { PEAK_STATE_UP = 0, PEAK_STATE_DOWN = 1, PEAK_STATE_INVALID = 2 };
enum TPeakCutType : uint8_t { PEAK_CUTTYPE_FULLAREA = 0, PEAK_CUTTYPE_PARTAREA = 1 };

}  // namespace kalvero
