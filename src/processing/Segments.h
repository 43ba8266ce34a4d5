#pragma once
// The segments of a run's temperature program: heating, isothermal and cooling stretches, found
// from the temperature curve or given by the boundaries a source file declares. Peak detection
// works inside them, so that the cell's response to a change of segment is never taken for a
// thermal effect.

#include <cstdint>
#include <string>
#include <vector>

namespace kalvero {

class TDataClass;

enum TSegmentKind : uint8_t { skHeating = 0, skIsothermal = 1, skCooling = 2 };

struct TSegment {
    int32_t begin = 0, end = 0;  // items, both included
    TSegmentKind kind = skIsothermal;
    double rate = 0;  // K/min, the slope of a straight line through the segment's temperatures
    double beginTemp = 0, endTemp = 0;
    bool operator==(const TSegment&) const = default;
};

// "нагрев", "изотерма", "охлаждение".
std::string SegmentKindCaption(TSegmentKind aKind);
// "нагрев 10,0 К/мин", "изотерма 200,0 °С", "охлаждение −5,2 К/мин".
std::string SegmentCaption(const TSegment& aSegment);

// Below this magnitude of rate a stretch is isothermal, K/min.
inline constexpr double SEGMENT_ISOTHERMAL_RATE = 0.1;
// A stretch shorter than this joins its neighbours, s.
inline constexpr double SEGMENT_MIN_DURATION = 30;

// The segments of the temperatures aTemp[0 … aCount − 1] (°C, every aStride-th float) sampled at
// aFrequency items per second: the local rate over half a minute classifies every item, stretches
// shorter than SEGMENT_MIN_DURATION join their neighbours, and each boundary moves to where the
// rate passes half-way between those of its two segments. At least one segment for two items.
std::vector<TSegment> FindTemperatureSegments(const float* aTemp, size_t aStride, int64_t aCount,
                                              double aFrequency);
// Segments with given first items (ascending, the first 0), each classified by its rate.
std::vector<TSegment> SegmentsFromStarts(const float* aTemp, size_t aStride, int64_t aCount,
                                         double aFrequency, const std::vector<int32_t>& aStarts);

// The segments of an experiment's channel 0: the boundaries it declares (fSegmentStarts), else
// those found from its temperatures.
std::vector<TSegment> SegmentsOf(const TDataClass& aData);
// The segment holding item aItem (the last when past the end); -1 for an empty list.
int SegmentAt(const std::vector<TSegment>& aSegments, int aItem);

}  // namespace kalvero
