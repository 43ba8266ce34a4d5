#pragma once
// Several runs on one plot: a comparison experiment whose channels are the runs brought onto one
// time step and one signal unit, each with its colour and its name in the legend, optionally
// normalised to its mass and shifted up by a step per channel. A comparison experiment is an
// experiment like any other: it is drawn against time or temperature (every channel against its
// own temperatures), printed and exported, and any channel made the main one is evaluated with
// the usual tools.

#include <string>
#include <vector>

namespace kalvero {

class TDataClass;

struct TComparedRun {
    const TDataClass* data = nullptr;  // channel 0 is compared
    std::string name;                  // the legend's entry
};

struct TComparisonOptions {
    bool perMass = false;  // heat flow and voltage divided by each run's mass
    double offset = 0;     // added to channel k as k · offset, in the signal's unit
};

// Replaces aOut's content by the comparison of aRuns (at least one): the finest time step among
// them, every run from its own start, a shorter run holding its last value to the end (drawn only
// up to its own end). EPhysicalRunException (PhysicalExperiment.h) when the signals are of
// different units, or a mass needed for the normalisation is missing. What had to be assumed is
// appended to aWarnings.
void BuildComparison(const std::vector<TComparedRun>& aRuns, const TComparisonOptions& aOptions,
                     TDataClass& aOut, std::vector<std::string>& aWarnings);

}  // namespace kalvero
