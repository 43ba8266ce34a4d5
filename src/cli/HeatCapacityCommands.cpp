// "cp" and "split": the specific heat capacity of a sample from its run with a sapphire's and a
// blank's (or directly from its heat flow), and a run split into its segments.

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

#include "cli/CliContext.h"
#include "common/FileUtil.h"
#include "data/DataClass.h"
#include "data/OpenExport.h"
#include "evaluation/ExperimentHeatCapacity.h"
#include "evaluation/ReferenceCp.h"
#include "processing/SegmentSplit.h"

namespace kalvero::cli {
namespace {

using namespace kalvero::evaluation;

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// The result as a file: an experiment file, or the open export for the .csv and .json names.
void WriteResult(TDataClass& d, const std::string& aOut) {
    const std::string extension = Lower(std::filesystem::path(aOut).extension().string());
    if (extension == ".csv" || extension == ".json") {
        WriteOpenExport(d, aOut, extension == ".csv" ? TOpenExportFormat::Csv : TOpenExportFormat::Json);
    } else {
        d.SaveToFile(aOut, false);
    }
}

std::string FileName(const std::string& aPath) {
    return std::filesystem::path(aPath).filename().string();
}

}  // namespace

void RegisterHeatCapacityCommands(CLI::App& aApp, TCliContext& aContext) {
    struct TArgs {
        std::string sample, reference, blank, referenceCp, range, out;
        double sampleMass = 0, referenceMass = 0, halfWidth = 1;
        std::vector<double> at;
    };
    auto args = std::make_shared<TArgs>();
    auto* cp = aApp.add_subcommand(
        "cp",
        "Specific heat capacity (ASTM E1269, ISO 11357-4): with --reference by the sapphire ratio method, "
        "without it directly from the sample's heat flow");
    cp->add_option("--sample", args->sample, "The sample's run")->required();
    cp->add_option("--sample-mass", args->sampleMass, "The sample's mass, mg (overrides the file)")
        ->check(CLI::PositiveNumber);
    cp->add_option("--reference", args->reference, "The reference's (sapphire's) run");
    cp->add_option("--reference-mass", args->referenceMass, "The reference's mass, mg (overrides the file)")
        ->check(CLI::PositiveNumber);
    cp->add_option("--blank", args->blank,
                   "The empty holders' run (leave out when the runs are blank-corrected)");
    cp->add_option("--reference-cp", args->referenceCp,
                   "The reference's cp as a table file (rows: K and J/(g K)); default: synthetic sapphire");
    cp->add_option("--range", args->range,
                   "Temperatures of the result as the sample's items, times or temperatures A:B "
                   "(\"60C:200C\"); default: the common heating less a tenth at each end");
    cp->add_option("--at", args->at,
                   "Temperatures of the table, °C (T1,T2,...); default: round ones in the range")
        ->delimiter(',');
    cp->add_option("--half-width", args->halfWidth, "The table's values come from ±this many K")
        ->check(CLI::PositiveNumber);
    cp->add_option("--out", args->out, "The cp curve: experiment file, or .csv / .json open export");
    cp->callback([&aContext, args] {
        aContext.Process();
        const auto sample = LoadExperimentFile(aContext, args->sample);
        std::unique_ptr<TDataClass> reference, blank;
        if (!args->reference.empty()) reference = LoadExperimentFile(aContext, args->reference);
        if (!args->blank.empty()) blank = LoadExperimentFile(aContext, args->blank);
        auto mass = [](double m) { return m > 0 ? std::optional<double>(m) : std::nullopt; };
        const TCpRunData s = CpRunOf(*sample, "образец", mass(args->sampleMass));
        std::optional<TCpRunData> r, b;
        if (reference) r = CpRunOf(*reference, "эталон", mass(args->referenceMass));
        if (blank) b = CpRunOf(*blank, "холостой опыт");
        TReferenceCp table;
        if (reference)
            table = args->referenceCp.empty() ? LoadReferenceCp(aContext.Process().Config().fProgramDataPath)
                                              : ReadReferenceCpFile(args->referenceCp);
        TCpOptions options;
        options.halfWidth = args->halfWidth;
        if (!args->range.empty()) {
            const auto [first, last] = ParseRange(*sample, args->range, "--range");
            options.from = sample->items[static_cast<size_t>(first)][0].tc;
            options.to = sample->items[static_cast<size_t>(last)][0].tc;
        }
        RHeatCapacity result;
        try {
            result = HeatCapacityOfRuns(s, r ? &*r : nullptr, b ? &*b : nullptr, &table, options);
            TabulateHeatCapacity(result,
                                 args->at.empty() ? RoundTemperatures(result.from, result.to) : args->at,
                                 args->halfWidth);
        } catch (const EEvaluationError& e) {
            throw ECliError(e.what());
        }

        nlohmann::ordered_json j;
        j["at"] = nlohmann::ordered_json::array();
        for (const RCpPoint& p : result.table)
            j["at"].push_back(
                {{"temperature", p.temperature}, {"cp", p.cp}, {"scatter", p.scatter}, {"items", p.count}});
        std::vector<std::string> warnings = result.warnings;
        if (!args->out.empty()) {
            TDataClass out;
            const std::string description =
                reference ? "Теплоёмкость по эталону (ASTM E1269, ISO 11357-4): эталон " +
                                FileName(args->reference) + " (" + table.name + ")" +
                                (blank ? ", холостой опыт " + FileName(args->blank) : "")
                          : "Теплоёмкость по тепловому потоку" +
                                (blank ? ", холостой опыт " + FileName(args->blank) : "");
            FillHeatCapacityExperiment(out, result, *sample, description, warnings);
            WriteResult(out, args->out);
        }
        j["warnings"] = warnings;
        j["method"] = reference ? "ratio" : "direct";
        j["range"] = {result.from, result.to};
        j["points"] = result.cp.size();
        j["rates"] = {
            {"sample", result.sampleRate}, {"reference", result.referenceRate}, {"blank", result.blankRate}};
        j["isothermalCorrection"] = result.isothermalCorrection;
        if (!args->out.empty()) j["out"] = args->out;
        aContext.Print(j);
    });

    struct TSplitArgs {
        std::string file, prefix;
        bool skipIsothermal = false;
    };
    auto split = std::make_shared<TSplitArgs>();
    auto* cmd =
        aApp.add_subcommand("split", "Split a run into one experiment file per segment of its program");
    cmd->add_option("FILE", split->file, "Experiment file or text export")->required();
    cmd->add_option("--out-prefix", split->prefix,
                    "Start of the files written: PREFIX1.dsc, PREFIX2.dsc, ...")
        ->required();
    cmd->add_flag("--skip-isothermal", split->skipIsothermal, "Leave the isothermal segments out");
    cmd->callback([&aContext, split] {
        const auto d = LoadExperimentFile(aContext, split->file);
        const std::vector<TSegment> segments = SegmentsToSplit(*d, split->skipIsothermal);
        if (segments.empty()) throw ECliError("В опыте " + split->file + " нет сегментов для разделения");
        const std::string extension = "." + aContext.Process().Config().workFileExt;
        nlohmann::ordered_json j;
        j["segments"] = nlohmann::ordered_json::array();
        const int count = static_cast<int>(segments.size());
        for (int k = 0; k < count; ++k) {
            const TSegment& s = segments[static_cast<size_t>(k)];
            TDataClass part;
            CopySegment(*d, s, k + 1, count, part);
            const std::string out = split->prefix + std::to_string(k + 1) + extension;
            part.SaveToFile(out, false);
            j["segments"].push_back({{"file", out},
                                     {"kind", s.kind == skHeating   ? "heating"
                                              : s.kind == skCooling ? "cooling"
                                                                    : "isothermal"},
                                     {"rate", part.fHeatSpeed},
                                     {"beginTemp", s.beginTemp},
                                     {"endTemp", s.endTemp},
                                     {"items", part.GetItemCount()}});
        }
        aContext.Print(j);
    });
}

}  // namespace kalvero::cli
