// "peaks", "smooth" and "tangent": processing of an experiment file without a window.

#include <CLI/CLI.hpp>

#include <cmath>
#include <iostream>
#include <memory>
#include <sstream>
#include <vector>

#include "calibration/HeatCalibration.h"
#include "cli/CliContext.h"
#include "cli/PeakOptions.h"
#include "common/Globals.h"
#include "common/Procs.h"
#include "data/DataClass.h"
#include "evaluation/PeakEvaluation.h"
#include "evaluation/PeakResults.h"
#include "evaluation/ResultsJson.h"
#include "processing/MathUtils.h"
#include "processing/Peak.h"
#include "processing/PeakTemperature.h"
#include "processing/PeakUtils.h"
#include "processing/Tangent.h"

namespace kalvero::cli {
namespace {

// A temperature of item aItem (or, for the top, of the peak's maximum) as the operator reads it:
// in degrees when the experiment shows degrees, else in counts.
std::string TemperatureText(const TDataClass& d, const TAppConfig& c, double aDegrees, int aItem) {
    if (d.tempScale != tsDegrees) return std::to_string(d.items[aItem][0].t) + " отсч.";
    return FormatFixed(aDegrees, c.tempScaleAccuracy) + " " + c.tempChannelUnitsName;
}

// "2500 ... 3500  top 3000  onset 2800  T onset 156.6 °С  T peak 160.1 °С  0.14 Дж  28.60 Дж/г":
// the items for scripts, then the temperatures and the heat (counts without a heat table).
std::string PeakLine(const TDataClass& d, const TAppConfig& c, const nlohmann::ordered_json& j,
                     const TPeak& p, const TEffectResult& r) {
    std::ostringstream line;
    line << j["begX"] << " ... " << j["endX"] << "  top " << j["topX"] << "  onset " << j["onsetX"];
    const std::string t = "  " + c.tempChannelShortName;
    if (!j["onsetTemp"].is_null() && d.tempScale == tsDegrees) {
        // The extrapolated onset in degrees, as the results list shows it.
        line << t << " onset " << FormatFixed(j["onsetTemp"].get<double>(), c.tempScaleAccuracy) << " "
             << c.tempChannelUnitsName;
    } else if (!j["onsetX"].is_null()) {
        // In counts the reading at the foot of the drawn tangent.
        const int onset = j["onsetX"].get<int>();
        line << t << " onset " << TemperatureText(d, c, d.items[onset][0].tc, onset);
    }
    line << t << " peak " << TemperatureText(d, c, j["topTemp"].get<double>(), p.top);
    if (HeatAvailable(d)) {
        if (std::isfinite(r.heat))
            line << "  " << FormatAreaNumber(r.heat, c.areaScaleAccuracy) << " " << c.areaUnitsName;
        if (std::isfinite(r.specificHeat))
            line << "  " << FormatAreaNumber(r.specificHeat, c.areaScaleAccuracy) << " "
                 << c.areaUnitsPerMassName;
    } else {
        line << "  " << j["text"].get<std::string>();
    }
    line << "  " << EffectCaption(r.endothermic);
    return line.str();
}

}  // namespace

void RegisterProcessingCommands(CLI::App& aApp, TCliContext& aContext) {
    struct TArgs {
        std::string file, out, manual, method, curve = "dt", from, to, baseLine;
        int at = 0;
        bool conversion = false;
    };
    auto args = std::make_shared<TArgs>();

    auto* peaks = aApp.add_subcommand("peaks", "Detect the peaks of channel 0, or add one by hand");
    peaks->add_option("FILE", args->file, "Experiment file")->required();
    peaks->add_option("--from", args->from, "Start of the detection range: item, 300s, 5min or 150C");
    peaks->add_option("--to", args->to, "End of the detection range (default: the last item)");
    peaks->add_option("--manual", args->manual,
                      "Add one peak over A:B instead (items, 300s:360s, 5min:6min or 150C:170C)");
    AddBaseLineOption(*peaks, args->baseLine);
    peaks->add_flag("--conversion", args->conversion,
                    "Give each peak's conversion: time, temperature, alpha and its rate per item");
    peaks->add_option("--out", args->out, "Save the experiment with the peaks found");
    peaks->callback([&aContext, args] {
        const auto d = LoadSignalOverTime(aContext, args->file);
        // The peaks the file kept give way to the ones found now.
        d->peaks.Clear();
        TPeakUtils utils(*d, aContext.Process().Config(), gLogger, nullptr);
        if (!args->manual.empty()) {
            const auto [a, b] = ParseRange(*d, args->manual, "--manual");
            utils.AddPeakManually(a, b);
        } else {
            const int from = args->from.empty() ? 0 : ParseItem(*d, args->from, "--from");
            const int to = args->to.empty() ? d->GetItemCount() - 1 : ParseItem(*d, args->to, "--to");
            utils.DetectPeaks(from, to);
        }
        ApplyBaseLine(*d, args->baseLine);
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        std::vector<std::string> lines;
        const TAppConfig& c = aContext.Process().Config();
        for (int k = 0; k < d->peaks.GetItemCount(); ++k) {
            if (const auto* p = dynamic_cast<const TPeak*>(d->peaks.GetItemByIndex(k).value)) {
                const TEffectResult r = EffectResultOf(*d, *p, static_cast<int>(list.size()) + 1);
                list.push_back(PeakToJson(*d, *p, r));
                lines.push_back(PeakLine(*d, c, list.back(), *p, r));
                if (args->conversion) list.back()["conversion"] = ConversionOrError(*d, *p);
            }
        }
        if (!args->out.empty()) d->SaveToFile(args->out, false);
        if (aContext.Options().json) {
            aContext.Print({{"peaks", list}});
            return;
        }
        std::cout << "peaks: " << list.size() << '\n';
        for (const std::string& line : lines)
            std::cout << line << '\n';
    });

    auto* smooth = aApp.add_subcommand("smooth", "Smooth the dT curve of channel 0 and save the result");
    smooth->add_option("FILE", args->file, "Experiment file")->required();
    smooth->add_option("--method", args->method, "Smoothing method")
        ->required()
        ->check(CLI::IsMember({"average", "median", "bezier"}));
    smooth->add_option("--from", args->from, "Start of the range: item, 300s, 5min or 150C");
    smooth->add_option("--to", args->to, "End of the range (default: the last item)");
    smooth->add_option("--out", args->out, "Experiment file to write")->required();
    smooth->callback([&aContext, args] {
        const auto d = LoadSignalOverTime(aContext, args->file);
        const TAppConfig& c = aContext.Process().Config();
        const int from = args->from.empty() ? 0 : ParseItem(*d, args->from, "--from");
        const int to = args->to.empty() ? d->GetItemCount() - 1 : ParseItem(*d, args->to, "--to");
        const TItemArray before = d->items;
        if (args->method == "average") {
            AverageSmooth(d->items, 0, from, to, c.smoothDotCount, c.smoothDotStep, c.smoothStep, false);
        } else if (args->method == "median") {
            d->CopyToWorkChannel(0, WORKCHANNEL_BASE_CURVE);  // the median reads the unsmoothed copy
            MedianSmooth(d->items, 0, d->workItems, WORKCHANNEL_BASE_CURVE, from, to, c.smoothDotCount,
                         c.smoothDotStep, c.smoothStep, false);
        } else {
            BezieSmooth(d->items, 0, from, to, false, c.bezieSmoothPower, c.smoothStep);
        }
        d->FillTempValues(0);
        d->fHasUnsavedChanges = true;
        d->SaveToFile(args->out, false);
        int changed = 0;
        for (int i = 0; i < d->GetItemCount(); ++i)
            changed += d->items[i][0].dt != before[i][0].dt;
        aContext.Print({{"method", args->method},
                        {"from", from},
                        {"to", to},
                        {"itemCount", d->GetItemCount()},
                        {"changedItems", changed},
                        {"out", args->out}});
    });

    auto* tangent =
        aApp.add_subcommand("tangent", "Fit a tangent around one item as the one-point tool does");
    tangent->add_option("FILE", args->file, "Experiment file")->required();
    tangent->add_option("--at", args->at, "Item at the middle of the tangent")->required();
    tangent->add_option("--curve", args->curve, "Curve to fit: dt or t")->check(CLI::IsMember({"dt", "t"}));
    tangent->callback([&aContext, args] {
        const auto d = LoadSignalOverTime(aContext, args->file);
        if (args->curve == "t") d->mode = vm_view_T_by_time;
        d->AddTangent(args->at);
        if (d->tangents.GetItemCount() == 0) {
            throw ECliError("Касательная в точке " + std::to_string(args->at) + " не построена: мало точек");
        }
        const auto* t = dynamic_cast<const TTangent*>(d->tangents.GetItemByIndex(0).value);
        aContext.Print({{"fTangentType", t->fTangentType == ttForDiffTemp ? "ttForDiffTemp" : "ttForTemp"},
                        {"x0", t->x0},
                        {"x1", t->x1},
                        {"x2", t->x2},
                        {"tgA_Units", static_cast<double>(t->tgA_Units)},
                        {"b_Units", static_cast<double>(t->b_Units)},
                        {"tgA_Degrees", static_cast<double>(t->tgA_Degrees)},
                        {"b_Degrees", static_cast<double>(t->b_Degrees)},
                        {"tgA_Real", static_cast<double>(t->tgA_Real)},
                        {"b_Real", static_cast<double>(t->b_Real)},
                        {"points", t->fPointsUnits.size()}});
    });
}

}  // namespace kalvero::cli
