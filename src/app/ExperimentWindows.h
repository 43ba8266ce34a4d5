#pragma once
// Experiments the evaluations make, each shown in a data window of its own: the cp curve, the
// comparison of several runs, the segments of a run.

#include <functional>
#include <string>

#include "data/DataClass.h"

namespace kalvero::app {

class TKalveroForm;
class TfrmDataWindow;

// A new data window whose experiment aFill makes, shown in aMode under aFileName (new and unsaved);
// an error propagates and the window is closed again.
TfrmDataWindow* OpenExperimentWindow(TKalveroForm& aMain, const std::string& aFileName, TCurveMode aMode,
                                     const std::function<void(TDataClass&)>& aFill);

// "Разделить по сегментам": one new window per segment of the window's experiment, each named after
// the experiment's file and its number.
void SplitIntoSegmentWindows(TfrmDataWindow& aWindow);

}  // namespace kalvero::app
