#include "cli/CliContext.h"

#include <CLI/CLI.hpp>

#include <iostream>

#include "data/DataClass.h"
#include "import/ExperimentImport.h"
#include "processing/RangeText.h"

namespace kalvero::cli {
namespace {

void PrintPlain(const nlohmann::ordered_json& aValue, const std::string& aPrefix) {
    for (const auto& [key, value] : aValue.items()) {
        const std::string name = aPrefix.empty() ? key : aPrefix + "." + key;
        if (value.is_object()) {
            PrintPlain(value, name);
        } else if (value.is_string()) {
            std::cout << name << ": " << value.get<std::string>() << '\n';
        } else {
            std::cout << name << ": " << value.dump() << '\n';
        }
    }
}

}  // namespace

std::pair<int, int> ParseItemRange(const std::string& aText, const std::string& aOption) {
    const size_t colon = aText.find(':');
    try {
        if (colon == std::string::npos) throw std::invalid_argument(aText);
        return {std::stoi(aText.substr(0, colon)), std::stoi(aText.substr(colon + 1))};
    } catch (const std::exception&) {
        throw CLI::ValidationError(aOption, "ожидается A:B, получено " + aText);
    }
}

namespace {

// A text that is not a range at all is the caller's mistake (usage); the rest is the data's.
template <typename F>
auto WithRangeErrors(const std::string& aOption, F aParse) {
    try {
        return aParse();
    } catch (const ERangeSyntax& e) {
        throw CLI::ValidationError(aOption, e.what());
    } catch (const ERangeText& e) {
        throw ECliError(e.what());
    }
}

}  // namespace

std::pair<int, int> ParseRange(const TDataClass& aData, const std::string& aText,
                               const std::string& aOption) {
    return WithRangeErrors(aOption, [&] { return ItemRangeOf(aData, aText); });
}

int ParseItem(const TDataClass& aData, const std::string& aText, const std::string& aOption) {
    return WithRangeErrors(aOption, [&] { return ItemOf(aData, aText); });
}

std::unique_ptr<TDataClass> LoadExperimentFile(TCliContext& aContext, const std::string& aFile,
                                               const TImportOptions& aOptions) {
    aContext.Process();
    auto experiment = std::make_unique<TDataClass>();
    LoadAnyExperimentFile(*experiment, aFile, aOptions);
    return experiment;
}

TCliContext::TCliContext(const TCliOptions& aOptions) : fOptions(aOptions) {}

TProcessContext& TCliContext::Process() {
    if (!fProcess)
        fProcess = std::make_unique<TProcessContext>(ExecutableFolder(), fOptions.dataDir, "Kalvero");
    return *fProcess;
}

void TCliContext::Print(const nlohmann::ordered_json& aResult) const {
    if (fOptions.json) {
        std::cout << aResult.dump(2) << std::endl;
    } else {
        PrintPlain(aResult, "");
        std::cout.flush();
    }
}

}  // namespace kalvero::cli
