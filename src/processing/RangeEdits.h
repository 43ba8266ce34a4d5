#pragma once
// The data window's commands on a stretch of a curve, in raw readings: straight-line
// interpolation and the three smoothers on channel 0, the first and second derivative as new
// channels, and the shifts of a channel's curve. Each leaves the calibrated values of what it
// changed refreshed and the experiment marked changed.

#include <cstdint>

#include "data/DataClass.h"

namespace kalvero {

class TPeakUtils;
class TUiHooks;

enum class TSmoothKind : uint8_t { skAverage, skMedian, skBezier };

// Channel 0 inside aX1 … aX2 (clipped, ordered) replaced by the straight line between its values
// at the two ends, rounded to whole counts: T readings when aForT, else dT. The peaks are
// integrated again (aPeaks, when given).
void LineInterpolation(TDataClass& d, int aX1, int aX2, bool aForT, TPeakUtils* aPeaks);

// Channel 0 over aX1 … aX2 smoothed with the configured windows (smoothStep, smoothDotStep,
// smoothDotCount; bezieSmoothPower for the polynomial one); the median reads an unsmoothed copy
// kept in work channel 0. T readings when aForT. aBar shows the progress of the polynomial one.
void SmoothRange(TDataClass& d, TSmoothKind aKind, int aX1, int aX2, bool aForT, TPeakUtils* aPeaks,
                 TUiHooks* aBar = nullptr);

inline constexpr const char* FIRST_DERIVATIVE_CHANNEL_NAME = "Первая производная";
inline constexpr const char* SECOND_DERIVATIVE_CHANNEL_NAME = "Вторая производная";

// A new permanent channel "Первая производная" holding the derivative of channel 0 (dT and T)
// over aX1 … aX2 with a half-width of one second; zero outside the stretch. Its index.
int AddFirstDerivativeChannel(TDataClass& d, int aX1, int aX2);
// A new permanent channel "Вторая производная": channel 0 smoothed, differentiated, smoothed
// again and differentiated once more over aX1 … aX2; zero outside the stretch. Its index.
int AddSecondDerivativeChannel(TDataClass& d, int aX1, int aX2);

// Adds aDelta counts to the dT (or, with aForT, the T) readings of channel aChannel over
// aFrom … aTo (clipped).
void ShiftCurveVertically(TDataClass& d, int aChannel, int aFrom, int aTo, int32_t aDelta, bool aForT);
// Moves the samples of channel aChannel inside aFrom … aTo (clipped) by aDelta items (later for a
// positive one); the stretch left behind keeps the value of the stretch's nearest end, and
// nothing outside aFrom … aTo changes.
void ShiftCurveHorizontally(TDataClass& d, int aChannel, int aFrom, int aTo, int32_t aDelta);

// The steps of the curve-shift buttons: a hundredth of the selected window, at least one.
int32_t VertShiftIncrement(const TDataClass& d);
int32_t HorShiftIncrement(const TDataClass& d);

}  // namespace kalvero
