#pragma once
// The pictures of the tool buttons, drawn in code at start-up (no image files to ship or lose).

#include <QIcon>

namespace kalvero::app {

enum class TToolIcon {
    New,
    Open,
    Save,
    SaveAs,
    Preview,
    Print,
    Calibration,
    Help,
    Exit,
    Zoom,
    MarkerSet,
    MarkerDelete,
    MarkerList,
    Results,
    Tangent1,
    Tangent2,
    TangentDelete,
    PeaksAll,
    PeaksRange,
    GlassTransition,
    Statistics,
    Undo,
    Redraw,
    Scan,
    Subtract,
    Excel,
    Properties,
    OpenChannel,
    ChannelPanel,
    WidenX,
    NarrowX,
    WidenY,
    NarrowY,
    StepHeating,
    StepSustain,
    StepFree,
    StepNone,
    Back,
    Forward,
    Home
};

QIcon ToolIcon(TToolIcon aIcon);

}  // namespace kalvero::app
