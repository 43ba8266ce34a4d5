#pragma once
// A peak's conversion as channels of its experiment, for the plot: α and dα/dt shown over time
// and, in the view of the signal over temperature, α(T).

namespace kalvero {
class TDataClass;
class TPeak;
}  // namespace kalvero

namespace kalvero::evaluation {

// Two new channels "Степень превращения, пик N" and "Скорость превращения, пик N" (N = aNumber):
// the temperature of channel 0 at every item, and as the signal α (or dα/dt over its largest
// value) scaled onto the peak itself: 0 at the base line's level at the left margin, 1 at that
// level plus the peak's height, towards the peak. Before the peak α is 0, after it 1; the rate is
// 0 outside it. The index of the first of the two. EEvaluationError as ComputeConversion raises it,
// with the experiment unchanged.
int AddConversionChannels(TDataClass& aData, const TPeak& aPeak, int aNumber);

}  // namespace kalvero::evaluation
