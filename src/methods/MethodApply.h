#pragma once
// A method applied to an experiment: its evaluations replace the experiment's peaks and kept
// evaluations (so that the window, the file and the report show what the method made), each
// result is checked against its limits and carries the provenance of the run.

#include <string>
#include <vector>

#include "methods/Method.h"
#include "methods/Provenance.h"

namespace kalvero {
class TAppConfig;
class TDataClass;
class TLogger;
}  // namespace kalvero

namespace kalvero::methods {

enum class EVerdict {
    None,   // no limit on the result
    Pass,   // within its limits
    Fail,   // outside them, or no value where a limit asks for one
    Error,  // the evaluation could not be made
};

// "—", "годен", "не годен", "ошибка" for the screen and the report; "none", "pass", "fail",
// "error" for scripts.
std::string VerdictCaption(EVerdict aVerdict);
std::string VerdictKey(EVerdict aVerdict);

struct TMethodResult {
    int evaluation = 0;  // from 1, in the method's order
    EEvaluationKind kind = EEvaluationKind::Peak;
    std::string range;
    std::string name;  // the result's name; empty for an evaluation that failed
    std::string unit;
    double value = NAN;
    bool limited = false;
    RLimit limit;
    EVerdict verdict = EVerdict::None;
    std::string error;  // why the evaluation could not be made
};

struct TMethodRun {
    RProvenance provenance;
    std::vector<TMethodResult> results;

    // An evaluation could not be made.
    bool Failed() const;
    // A result fell outside its limits.
    bool LimitFailed() const;
};

// Applies aMethod to aData, which afterwards holds the method's peaks (in the method's order, a
// range several evaluations name evaluated once) and evaluations. An evaluation that cannot be
// made gives one result with its error and the others go on. aLogger may be null. Without
// aConstructions only the results are wanted (a batch that keeps no experiment): the peaks' onset
// tangents, drawn but no result of their own, are left out, except where a peak has no
// extrapolated onset and the tangent's foot stands in for it. The results are the same.
TMethodRun ApplyMethod(TDataClass& aData, const TMethod& aMethod, const TAppConfig& aConfig, TLogger* aLogger,
                       bool aConstructions = true);

// The results of the evaluations aData keeps, as they stand (its peaks, glass transitions,
// purities, degrees of crystallinity), without limits; aData is not changed.
TMethodRun ResultsOf(const TDataClass& aData, const TAppConfig& aConfig);

// The verdict of aValue under aEvaluation's limit for aName (None when there is none).
EVerdict VerdictOf(const TMethodEvaluation& aEvaluation, const std::string& aName, double aValue,
                   RLimit* aLimit = nullptr);

}  // namespace kalvero::methods
