// "info", "dump" and "convert": experiment files without a window.

#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <memory>

#include "cli/CliContext.h"
#include "common/DateTime.h"
#include "data/DataClass.h"
#include "import/ExperimentImport.h"
#include "processing/Segments.h"

namespace kalvero::cli {
namespace {

TAppFileType ParseFormat(const std::string& aFormat) {
    if (aFormat == "bin") return ftBin;
    return ftDSC;
}

std::unique_ptr<TDataClass> LoadExperiment(TCliContext& aContext, const std::string& aFile,
                                           TAppFileType aType) {
    if (aType == ftDSC) return LoadExperimentFile(aContext, aFile);
    aContext.Process();
    auto experiment = std::make_unique<TDataClass>();
    experiment->LoadFromFile(aFile, aType, 0);
    return experiment;
}

}  // namespace

nlohmann::ordered_json ExperimentInfo(const TDataClass& d) {
    nlohmann::ordered_json j;
    j["itemCount"] = d.GetItemCount();
    j["channelCount"] = d.GetChannelCount();
    j["channels"] = nlohmann::ordered_json::array();
    for (const auto& c : d.descriptors) {
        nlohmann::ordered_json channel;
        channel["name"] = c.name;
        channel["scanEndPoint"] = c.fScanEndPoint;
        j["channels"].push_back(channel);
    }
    j["frequency"] = d.frequency;
    j["heatSpeed"] = d.fHeatSpeed;
    j["sampleWeight"] = d.fSampleWeight;
    j["sampleName"] = d.fSampleName;
    j["operatorName"] = d.fOperatorName;
    j["laboratoryName"] = d.fLaboratoryName;
    j["description"] = d.fDescription;
    j["dateCreate"] = FormatDateTime("yyyy-mm-ddThh:nn:ss", d.fDateCreate);
    j["fileVersion"] = d.LoadedFileVersion();
    // The signal as a script must read it: a quantity in a unit, physical or of the converter.
    nlohmann::ordered_json signal;
    if (d.fPhysical) {
        signal["quantity"] = SignalQuantityKey(d.fPhysical->quantity);
        signal["unit"] = d.fPhysical->unit;
        signal["physical"] = true;
    } else {
        signal["quantity"] = SignalQuantityKey(sqDiffTemp);
        signal["unit"] = d.diffTempScale == dtsDegrees ? "K" : "counts";
        signal["physical"] = false;
    }
    j["signal"] = signal;
    j["endothermic"] = d.EndoUp() ? "up" : "down";
    if (!d.fInstrument.empty()) j["instrument"] = d.fInstrument;
    if (!d.fSourceFile.empty()) j["sourceFile"] = d.fSourceFile;
    j["segments"] = nlohmann::ordered_json::array();
    for (const TSegment& s : SegmentsOf(d)) {
        j["segments"].push_back({{"kind", s.kind == skHeating   ? "heating"
                                          : s.kind == skCooling ? "cooling"
                                                                : "isothermal"},
                                 {"begin", s.begin},
                                 {"end", s.end},
                                 {"beginTime", s.begin / static_cast<double>(d.frequency)},
                                 {"endTime", s.end / static_cast<double>(d.frequency)},
                                 {"beginTemp", s.beginTemp},
                                 {"endTemp", s.endTemp},
                                 {"rate", s.rate}});
    }
    j["warnings"] = d.LastLoadWarnings();
    return j;
}

void RegisterExperimentCommands(CLI::App& aApp, TCliContext& aContext) {
    struct TArgs {
        std::string file, out, add, format = "dsc", selection;
        int channel = 0, from = 0, to = -1;
    };
    auto args = std::make_shared<TArgs>();

    auto* info = aApp.add_subcommand("info", "Describe an experiment file");
    info->add_option("FILE", args->file, "Experiment file")->required();
    info->add_option("--format", args->format, "File layout")->check(CLI::IsMember({"dsc", "bin"}));
    info->callback([&aContext, args] {
        const auto d = LoadExperiment(aContext, args->file, ParseFormat(args->format));
        aContext.Print(ExperimentInfo(*d));
    });

    auto* dump = aApp.add_subcommand("dump", "Print the samples of one channel");
    dump->add_option("FILE", args->file, "Experiment file")->required();
    dump->add_option("--format", args->format, "File layout")->check(CLI::IsMember({"dsc", "bin"}));
    dump->add_option("--channel", args->channel, "Channel number, from 0");
    dump->add_option("--from", args->from, "First item");
    dump->add_option("--to", args->to, "Item after the last one");
    dump->callback([&aContext, args] {
        const auto d = LoadExperiment(aContext, args->file, ParseFormat(args->format));
        if (args->channel < 0 || args->channel >= d->GetChannelCount()) {
            throw ECliError("Нет канала " + std::to_string(args->channel) + " в файле " + args->file);
        }
        const int from = std::clamp(args->from, 0, d->GetItemCount());
        const int to = std::clamp(args->to < 0 ? d->GetItemCount() : args->to, from, d->GetItemCount());
        nlohmann::ordered_json t = nlohmann::ordered_json::array(), dt = t, tc = t, dtc = t;
        for (int i = from; i < to; ++i) {
            const TItem& s = d->items[i][args->channel];
            t.push_back(s.t), dt.push_back(s.dt), tc.push_back(s.tc), dtc.push_back(s.dtc);
        }
        if (aContext.Options().json) {
            aContext.Print({{"t", t}, {"dt", dt}, {"tc", tc}, {"dtc", dtc}});
            return;
        }
        std::cout << "item\tt\tdt\ttc\tdtc\n";
        for (int i = from; i < to; ++i) {
            const TItem& s = d->items[i][args->channel];
            std::cout << i << '\t' << s.t << '\t' << s.dt << '\t' << s.tc << '\t' << s.dtc << '\n';
        }
    });

    struct TImportArgs {
        std::string file, out, endo, signal;
        double mass = 0;
    };
    auto imp = std::make_shared<TImportArgs>();
    auto* import =
        aApp.add_subcommand("import", "Read another instrument's text export into an experiment file");
    import->add_option("FILE", imp->file, "Text export (delimited, key/value, two-line or #KEY: layout)")
        ->required();
    import->add_option("--mass", imp->mass, "Sample mass, mg (overrides the file)")
        ->check(CLI::PositiveNumber);
    import
        ->add_option("--endo", imp->endo, "Direction of endothermic effects: up or down (overrides the file)")
        ->check(CLI::IsMember({"up", "down"}));
    import->add_option("--signal", imp->signal, "Column to take as the signal: its name or number from 1");
    import->add_option("--out", imp->out, "Experiment file to write (*.dsc)")->required();
    import->callback([&aContext, imp] {
        aContext.Process();
    TImportOptions options;
    if (imp->mass > 0) options.mass = imp->mass;
    if (!imp->endo.empty()) options.endoUp = imp->endo == "up";
    options.signalColumn = imp->signal;
    const TImportedRun run = ImportForeignFile(imp->file, options);
    TDataClass d;
    std::vector<std::string> warnings;
    ExperimentFromImport(d, run, imp->file, warnings);
    d.SaveToFile(imp->out, false);
    d.SetLoadWarnings(warnings);
    nlohmann::ordered_json j = ExperimentInfo(d);
    j["layout"] = run.layout;
    j["encoding"] = run.encoding;
    j["rowsRead"] = run.rowsRead;
    j["rowsSkipped"] = run.rowsSkipped;
    j["columns"] = nlohmann::ordered_json::array();
    for (const TImportedColumn& c : run.columns)
        j["columns"].push_back({{"name", c.name}, {"unit", c.unit}});
    j["out"] = imp->out;
    aContext.Print(j);
});

auto* convert = aApp.add_subcommand("convert", "Load an experiment file and save it again");
convert->add_option("IN", args->file, "Experiment file to read")->required();
convert->add_option("OUT", args->out, "Experiment file to write")->required();
convert->add_option("--selection", args->selection, "Save only items A ... B-1 (A:B)");
convert->add_option("--add", args->add, "Experiment file whose channels are added after the first file's");
convert->callback([&aContext, args] {
    const auto d = LoadExperiment(aContext, args->file, ftDSC);
    if (!args->add.empty()) d->LoadFromFile(args->add, ftDSC, d->GetChannelCount());
    const bool selection = !args->selection.empty();
    if (selection) std::tie(d->begXSel, d->endXSel) = ParseItemRange(args->selection);
    d->SaveToFile(args->out, selection);
    // What was written: the experiment's own description and channel names, with the item
    // count and version the file now holds.
    TDataClass saved;
    saved.LoadFromFile(args->out, ftDSC, 0);
    nlohmann::ordered_json j = ExperimentInfo(*d);
    j["itemCount"] = saved.GetItemCount();
    j["fileVersion"] = saved.LoadedFileVersion();
    aContext.Print(j);
});
}  // namespace kalvero::cli

}  // namespace kalvero::cli
