// Copies of whole samples between channels and work channels.

#include <algorithm>
#include <stdexcept>
#include <string>

#include "data/DataClass.h"

namespace kalvero {
namespace {

void CheckChannel(int aChannel, int aCount, const char* aWhat) {
    if (aChannel < 0 || aChannel >= aCount) {
        throw std::out_of_range(std::string(aWhat) + " " + std::to_string(aChannel) + " does not exist");
    }
}

// Sample aFrom of every item of aSource into sample aTo of the same item of aTarget.
void CopySamples(const TItemArray& aSource, int aFrom, TItemArray& aTarget, int aTo) {
    const size_t count = std::min(aSource.ItemCount(), aTarget.ItemCount());
    const size_t sourceStride = aSource.ChannelCount(), targetStride = aTarget.ChannelCount();
    const TItem* s = aSource.Data() + aFrom;
    TItem* t = aTarget.Data() + aTo;
    for (size_t i = 0; i < count; ++i, s += sourceStride, t += targetStride)
        *t = *s;
}

}  // namespace

void TDataClass::CopyToWorkChannel(int fromch, int toWorkCh) {
    CheckChannel(fromch, GetChannelCount(), "Channel");
    CheckChannel(toWorkCh, WORKCHANNELS_COUNT, "Work channel");
    CopySamples(items, fromch, workItems, toWorkCh);
}

void TDataClass::CopyWorkChannelToWorkChannel(int fromWorkCh, int toWorkCh) {
    CheckChannel(fromWorkCh, WORKCHANNELS_COUNT, "Work channel");
    CheckChannel(toWorkCh, WORKCHANNELS_COUNT, "Work channel");
    if (fromWorkCh != toWorkCh) CopySamples(workItems, fromWorkCh, workItems, toWorkCh);
}

void TDataClass::CopyFromWorkChannel(int fromWorkCh, int toch) {
    CheckChannel(fromWorkCh, WORKCHANNELS_COUNT, "Work channel");
    CheckChannel(toch, GetChannelCount(), "Channel");
    CopySamples(workItems, fromWorkCh, items, toch);
    fHasUnsavedChanges = true;
}

}  // namespace kalvero
