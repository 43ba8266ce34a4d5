#pragma once
// The one run control of the program (owned by the scan control window) as the other windows
// see it: which experiment the acquisition writes into. A data window refuses to close, and
// refuses the commands that reallocate its experiment, while a run writes into it.

namespace kalvero {
class TScanRunControl;
class TDataClass;
}  // namespace kalvero

namespace kalvero::app {

// The run control in force; null when there is none. Not owned.
TScanRunControl* BoundRunControl();
void SetBoundRunControl(TScanRunControl* aControl);

// A run (running or paused) of the bound control writes into aDataClass.
bool AcquisitionRunsInto(const TDataClass* aDataClass);

}  // namespace kalvero::app
