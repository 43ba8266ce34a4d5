#pragma once
// What the commands on peaks share: the --baseline option and the kind it gives every peak, and a
// peak's conversion (or why there is none) for the JSON.

#include <nlohmann/json.hpp>

#include <string>

namespace CLI {
class App;
}

namespace kalvero {
class TDataClass;
class TPeak;
}  // namespace kalvero

namespace kalvero::cli {

// --baseline line|left|right|sigmoid|tangent-sigmoid into aKey.
void AddBaseLineOption(CLI::App& aCommand, std::string& aKey);
// Every peak of aData integrated over the base line of kind aKey (nothing for an empty key).
void ApplyBaseLine(TDataClass& aData, const std::string& aKey);

nlohmann::ordered_json ConversionOrError(const TDataClass& aData, const TPeak& aPeak);

}  // namespace kalvero::cli
