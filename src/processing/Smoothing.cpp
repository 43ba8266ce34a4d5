// The three in-place smoothers on one channel of an item array.

#include "processing/MathUtils.h"
#include "processing/SmoothCore.h"

namespace kalvero {

using processing::TItemView;
using processing::TWindowParams;

void BezieSmooth(TItemArray& aChannel, int aChannelNumber, int aX1, int aX2, bool aForT,
                 int aBezieSmoothPower, int aSermentStep, TUiHooks* aBar) {
    const TItemView v(aChannel, aChannelNumber, aForT);
    // The basis is the same for every window: it is computed once per call.
    const auto& rows = processing::BezierSmoothRows(aBezieSmoothPower);
    processing::BezieSmoothCore(v, aX1, aX2, aBezieSmoothPower, aSermentStep, rows, aBar);
}

void AverageSmooth(TItemArray& aChannel, int aChannelNumber, int aStartX, int aEndX, int aWindowDotCount,
                   int aWindowDotsStep, int aSmoothStep, bool aForT) {
    const TItemView v(aChannel, aChannelNumber, aForT);
    processing::AverageSmoothCore(
        v, TWindowParams{aStartX, aEndX, aWindowDotCount, aWindowDotsStep, aSmoothStep});
}

void MedianSmooth(TItemArray& aSourceChannel, int aSourceChannelNo, const TItemArray& aBufferChannel,
                  int aBufferChannelNo, int aStartX, int aEndX, int aWindowDotCount, int aWindowDotsStep,
                  int aSmoothStep, bool aForT) {
    const TItemView v(aSourceChannel, aSourceChannelNo, aForT);
    // The buffer is only read; the view type is shared with the writable side.
    const TItemView buffer(const_cast<TItemArray&>(aBufferChannel), aBufferChannelNo, aForT);
    processing::MedianSmoothCore(
        v, buffer, TWindowParams{aStartX, aEndX, aWindowDotCount, aWindowDotsStep, aSmoothStep});
}

}  // namespace kalvero
