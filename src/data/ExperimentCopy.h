#pragma once
// A stretch of an experiment as an experiment of its own: every channel's samples of the stretch,
// readings and calibrated values alike, with the description, the scales and the channels of the
// original. Recorded and physical experiments stay what they were.

namespace kalvero {

class TDataClass;

// Replaces aTarget's content by items aFrom … aTo (ordered and clipped to the record) of aSource.
// The copy has no objects and no declared segments, its undo copy taken and its view on the whole
// of it; it is new and unsaved.
void CopyExperimentItems(const TDataClass& aSource, int aFrom, int aTo, TDataClass& aTarget);

}  // namespace kalvero
