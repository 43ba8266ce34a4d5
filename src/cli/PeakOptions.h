#pragma once
// What the commands on peaks share: the experiment loaded in the view of its signal over time,
// the --baseline option and the kind it gives every peak, and a peak's conversion (or why there is
// none) for the JSON.

#include <nlohmann/json.hpp>

#include <memory>
#include <string>

namespace CLI {
class App;
}

namespace kalvero {
class TDataClass;
class TPeak;
}  // namespace kalvero

namespace kalvero::cli {

class TCliContext;

// The experiment file, shown as the signal over time (where peaks are found and evaluated).
std::unique_ptr<TDataClass> LoadSignalOverTime(TCliContext& aContext, const std::string& aFile);

// --baseline line|left|right|sigmoid|tangent-sigmoid into aKey.
void AddBaseLineOption(CLI::App& aCommand, std::string& aKey);
// Every peak of aData integrated over the base line of kind aKey (nothing for an empty key).
void ApplyBaseLine(TDataClass& aData, const std::string& aKey);

nlohmann::ordered_json ConversionOrError(const TDataClass& aData, const TPeak& aPeak);

}  // namespace kalvero::cli
