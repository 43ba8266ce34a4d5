#pragma once
// The steps the evaluation commands and the methods share: a peak added over a range, the
// reference heat of a degree of crystallinity, and the results of an evaluation under the names of
// the command line's JSON.

#include <nlohmann/json.hpp>

#include <string>

#include "data/EvaluationRecords.h"
#include "methods/Method.h"

namespace kalvero {
class TAppConfig;
class TDataClass;
class TLogger;
class TPeak;
}  // namespace kalvero

namespace kalvero::methods {

// The peak over items aFrom … aTo added as the operator adds one by hand; EEvaluationError
// "Пик <aRange> не построен: в диапазоне нет точек" when none can be. Without aTangent the onset
// tangent is not drawn (TPeakUtils::AddPeak).
TPeak& AddPeakBetween(TDataClass& aData, const TAppConfig& aConfig, TLogger* aLogger, int aFrom, int aTo,
                      const std::string& aRange, bool aTangent = true);

// The record's reference heat: that of aPolymer of the shipped list (its id kept), or aHeat typed
// in; EEvaluationError when the polymer is not in the list.
void SetReferenceHeat(TCrystallinityRecord& aRecord, const std::string& aPolymer, double aHeat,
                      const std::string& aProgramDataPath);

// The number under each of aKind's result names in aJson (NaN where it has none).
std::vector<double> ResultValues(EEvaluationKind aKind, const nlohmann::ordered_json& aJson);

}  // namespace kalvero::methods
