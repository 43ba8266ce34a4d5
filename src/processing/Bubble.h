#pragma once
// A marker ("bubble") pinned to one item; peak detection puts one at every peak.

#include <cstdint>

#include "common/Object.h"

namespace kalvero {

enum TBubbleType : uint8_t { btForTemp = 0, btForDiffTemp = 1 };

class TBubble : public TObject {
public:
    TBubble(int32_t aTime, uint8_t aChannel) : fTime(aTime), fChannel(aChannel) {}

    int32_t fTime;   // the item it marks
    int32_t fX = 0;  // screen position, set by drawing
    int32_t fY = 0;
    uint8_t fChannel;  // the channel that was current when it was placed
};

}  // namespace kalvero
