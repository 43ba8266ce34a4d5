// "edit": channel operations on an experiment file (cut, subtract, swaps, copy, undo), and
// "table auto-dt": dT reference points measured on the peaks of a curve.

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>

#include "calibration/CommonCalibration.h"
#include "calibration/DiffTempAutoPoints.h"
#include "calibration/DiffTempCalibration.h"
#include "calibration/GlobalTables.h"
#include "calibration/TempCalibration.h"
#include "cli/CliContext.h"
#include "common/Globals.h"
#include "data/DataClass.h"

namespace kalvero::cli {
namespace {

std::unique_ptr<TDataClass> Load(TCliContext& aContext, const std::string& aFile) {
    return LoadExperimentFile(aContext, aFile);
}

void CheckChannel(const TDataClass& d, int aChannel) {
    if (aChannel < 0 || aChannel >= d.GetChannelCount())
        throw ECliError("Нет канала " + std::to_string(aChannel) +
                        " (каналов: " + std::to_string(d.GetChannelCount()) + ")");
}

void Cut(TDataClass& d, const std::string& aRange) {
    const auto [a, b] = ParseItemRange(aRange, "--cut");
    const int count = d.GetItemCount();
    const int width = std::clamp(std::max(a, b), 0, count) - std::clamp(std::min(a, b), 0, count);
    if (width > 0 && count - width < 10)
        throw ECliError("Вырезание " + aRange + " оставит меньше 10 точек из " + std::to_string(count));
    d.CutData(a, b);
}

struct REditArgs {
    std::string file, out;
    std::vector<std::string> cuts, subtracts, copies, swaps;
    std::vector<int> swapTemps;
    int level = 0;
    bool undo = false;
};

// Applies the operations in the order they were given on the command line.
void Edit(TCliContext& aContext, CLI::App& aCommand, const REditArgs& o) {
    const auto d = Load(aContext, o.file);
    std::map<std::string, size_t> used;  // occurrences of each option consumed so far
    for (const CLI::Option* option : aCommand.parse_order()) {
        const std::string name = option->get_name();
        const size_t k = used[name]++;
        if (name == "--cut") {
            Cut(*d, o.cuts.at(k));
        } else if (name == "--subtract") {
            const auto other = Load(aContext, o.subtracts.at(k));
            d->CopyToBuffer();  // the undo copy is taken before every subtraction
            d->Substract(*other, o.level);
        } else if (name == "--swap-temp") {
            CheckChannel(*d, o.swapTemps.at(k));
            d->SwapTempAndDiffTemp(o.swapTemps.at(k));
            d->FillTempValues(o.swapTemps.at(k));
        } else if (name == "--copy") {
            const auto [from, to] = ParseItemRange(o.copies.at(k), "--copy");
            CheckChannel(*d, from);
            CheckChannel(*d, to);
            d->CopyToChannel(from, to);
        } else if (name == "--swap") {
            const auto [a, b] = ParseItemRange(o.swaps.at(k), "--swap");
            CheckChannel(*d, a);
            CheckChannel(*d, b);
            d->SwapWorkChannelChannels(a, b);
        } else if (name == "--undo") {
            if (!d->Undo(d->fCurrentChannelNo)) std::cerr << "Нечего отменять: нет копии канала 0\n";
        }
    }
    d->SaveToFile(o.out, false);
    aContext.Print(ExperimentInfo(*d));
}

double Decimals(double aValue, int aDigits) {
    const double scale = std::pow(10.0, aDigits);
    return std::round(aValue * scale) / scale;
}

// A factor of a 24-bit converter is a few millionths of a kelvin per count: kept to six
// significant digits, not to a count of decimals.
double Significant(double aValue, int aDigits) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.*g", aDigits, aValue);
    return std::strtod(buf, nullptr);
}

nlohmann::ordered_json AutoDt(TCliContext& aContext, const std::string& aFile, const std::string& aOut) {
    const auto d = Load(aContext, aFile);
    std::vector<RDiffTempAutoPoint> points;
    try {
        points = DiffTempPointsFromCurve(*d, aContext.Process().Config());
    } catch (const ENoPeaksForCalibration& e) {
        throw ECliError(e.what());
    }
    nlohmann::ordered_json j;
    j["points"] = nlohmann::ordered_json::array();
    for (const RDiffTempAutoPoint& p : points) {
        j["points"].push_back({{"temp", Decimals(p.temp, 3)},
                               {"dT", Decimals(p.dT, 3)},
                               {"height", p.height},
                               {"factor", Significant(p.factor, 6)}});
    }
    if (!aOut.empty()) {
        // Over the real range of the configured temperature table, as at start-up.
        float beg, end;
        TemperatureTableRange(beg, end);
        TDiffTempCalibrationTable table(beg, end);
        if (FillDiffTempTable(table, points) == 0) throw ECliError("Нет точек с ненулевой высотой пика");
        table.SaveToFile(aOut);
    }
    return j;
}

}  // namespace

void RegisterChannelCommands(CLI::App& aApp, TCliContext& aContext) {
    auto e = std::make_shared<REditArgs>();
    auto* edit = aApp.add_subcommand("edit", "Cut, subtract, swap and copy channels of an experiment file");
    edit->add_option("FILE", e->file, "Experiment file")->required();
    edit->add_option("--cut", e->cuts, "A:B: remove items A ... B-1");
    edit->add_option("--subtract", e->subtracts, "Experiment whose channel 0 dT is subtracted");
    edit->add_option("--level", e->level, "Level added to the difference");
    edit->add_option("--swap-temp", e->swapTemps, "Swap T and dT of a channel");
    edit->add_option("--copy", e->copies, "FROM:TO: copy a channel");
    edit->add_option("--swap", e->swaps, "A:B: exchange two channels");
    edit->add_flag("--undo", e->undo, "Restore channel 0 from the undo copy");
    edit->add_option("--out", e->out, "Output file")->required();
    edit->callback([&aContext, edit, e] { Edit(aContext, *edit, *e); });

    auto* table = aApp.get_subcommand("table");
    auto* autoDt = table->add_subcommand("auto-dt", "dT calibration points from the peaks of a curve");
    auto file = std::make_shared<std::string>(), out = std::make_shared<std::string>();
    autoDt->add_option("FILE", *file, "Experiment file with reference peaks")->required();
    autoDt->add_option("--out", *out, "Save a dT table calculated from the points");
    autoDt->callback([&aContext, file, out] { aContext.Print(AutoDt(aContext, *file, *out)); });
}

}  // namespace kalvero::cli
