#include "cli/PeakOptions.h"

#include <CLI/CLI.hpp>

#include "cli/CliContext.h"
#include "data/DataClass.h"
#include "evaluation/PeakEvaluation.h"
#include "evaluation/ResultsJson.h"
#include "processing/Peak.h"

namespace kalvero::cli {

std::unique_ptr<TDataClass> LoadSignalOverTime(TCliContext& aContext, const std::string& aFile) {
    auto d = LoadExperimentFile(aContext, aFile);
    d->mode = vm_view_dT_by_time;
    return d;
}

void AddBaseLineOption(CLI::App& aCommand, std::string& aKey) {
    std::vector<std::string> keys;
    for (int k = 0; k < PEAK_BASELINE_KIND_COUNT; ++k)
        keys.push_back(PeakBaseLineKey(static_cast<TPeakBaseLineKind>(k)));
    aCommand
        .add_option("--baseline", aKey,
                    "Base line of the peaks: line (straight), left or right (horizontal from that margin), "
                    "sigmoid, tangent-sigmoid")
        ->check(CLI::IsMember(keys));
}

void ApplyBaseLine(TDataClass& d, const std::string& aKey) {
    const auto kind = PeakBaseLineFromKey(aKey);
    if (!kind) return;
    for (int k = 0; k < d.peaks.GetItemCount(); ++k)
        if (auto* p = dynamic_cast<TPeak*>(d.peaks.GetItemByIndex(k).value)) p->SetBaseLineKind(*kind);
}

nlohmann::ordered_json ConversionOrError(const TDataClass& d, const TPeak& p) {
    try {
        return ConversionToJson(evaluation::ConversionOf(d, p));
    } catch (const evaluation::EEvaluationError& e) {
        return {{"error", e.what()}};
    }
}

}  // namespace kalvero::cli
