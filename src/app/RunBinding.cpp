#include "app/RunBinding.h"

#include "acquisition/RunControl.h"

namespace kalvero::app {
namespace {

TScanRunControl* gBoundRunControl = nullptr;

}  // namespace

TScanRunControl* BoundRunControl() {
    return gBoundRunControl;
}

void SetBoundRunControl(TScanRunControl* aControl) {
    gBoundRunControl = aControl;
}

bool AcquisitionRunsInto(const TDataClass* aDataClass) {
    const TScanRunControl* control = gBoundRunControl;
    return control && aDataClass && control->SameDataClass(aDataClass) && control->Thread() &&
           control->Thread()->IsStarted();
}

}  // namespace kalvero::app
