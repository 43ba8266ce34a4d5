#pragma once
// The method file: JSON, {"name": ..., "evaluations": [{"kind": ..., "range": ..., "baseline": ...,
// options, "limits": {"topTemp": [lo, hi], ...}}]} (README, "Evaluation methods"). Reading checks
// everything a method needs before any experiment is touched, so that a bad file is refused once,
// in the operator's words, and never half-applied.

#include <nlohmann/json.hpp>

#include <string>

#include "methods/Method.h"

namespace kalvero::methods {

// EMethodError naming what is wrong (the evaluation's number from 1, the key).
TMethod MethodFromJson(const nlohmann::ordered_json& aJson);
nlohmann::ordered_json MethodToJson(const TMethod& aMethod);

// The file read and checked; EMethodError "Методика <file> не прочитана: ..." on any failure.
TMethod LoadMethodFile(const std::string& aFileName);
// Written whole or not at all (the old file stays until the new one is complete).
void SaveMethodFile(const TMethod& aMethod, const std::string& aFileName);

}  // namespace kalvero::methods
