#pragma once
// A run split into the segments of its temperature program (Segments.h): a heat–cool–heat program
// becomes one experiment per segment, each with its own rate and direction, so that the first and
// the second heating are compared and evaluated apart.

#include <string>
#include <vector>

#include "processing/Segments.h"

namespace kalvero {

class TDataClass;

// The segments a split makes of aData: every segment of its program, or only those that heat or
// cool.
std::vector<TSegment> SegmentsToSplit(const TDataClass& aData, bool aSkipIsothermal = false);

// "Сегмент 2 из 3: охлаждение −10,0 К/мин".
std::string SegmentPartCaption(const TSegment& aSegment, int aNumber, int aCount);

// "<folder>/<stem>-2.<extension>" for part 2 of aFileName.
std::string SegmentPartFileName(const std::string& aFileName, int aNumber);

// Replaces aTarget's content by segment aSegment of aSource, part aNumber (from 1) of aCount: its
// items on every channel, its rate as the experiment's (negative on cooling), the part named in the
// description and in the file name; one declared segment, its own.
void CopySegment(const TDataClass& aSource, const TSegment& aSegment, int aNumber, int aCount,
                 TDataClass& aTarget);

}  // namespace kalvero
