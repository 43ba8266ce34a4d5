// Three runs of a first-order reaction recorded on the simulated cell at 5, 10 and 20 °C/min
// with the shipped settings, the peaks found by detection and evaluated by the Kissinger
// plug-in: the activation energy the cell was set up with comes back, for weak and broad effects
// as for strong and narrow ones, released or taken up.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <regex>

#include "support/RunCli.h"

using namespace kalvero::test;
using nlohmann::json;

namespace {

struct RReaction {
    double activationEnergy;  // kJ/mol
    double heat;              // J/g of the 5 mg sample; below 0 taken up
};

// The pre-exponential factor that puts the peak at 170 °C when heated at 10 °C/min, from
// Kissinger's relation β/Tp² = A·R/E · e^(−E/(R·Tp)).
double PreExponential(double aActivationEnergy) {
    const double r = 8.314462618, tp = 443.15, beta = 10.0 / 60, e = aActivationEnergy * 1000;
    return beta * e / (r * tp * tp) * std::exp(e / (r * tp));
}

// The simulated USB cell's device file with the reaction sample heated at aRate.
std::string DevicesFor(const RReaction& aReaction, double aRate) {
    std::string text = ReadFileBytes(std::string(KALVERO_SOURCE_DIR) + "/data/samples/SimulatedUsbCell.ini");
    const auto set = [&text](const std::string& aKey, const std::string& aValue) {
        text = std::regex_replace(text, std::regex("\n" + aKey + "=[^\r\n]*"), "\n" + aKey + "=" + aValue);
    };
    set("Speed", "600");
    set("HeatingRate", std::to_string(aRate));
    set("heatSpeed", std::to_string(aRate));
    set("SampleMass", "5");
    char factor[32];
    std::snprintf(factor, sizeof factor, "%.6g", PreExponential(aReaction.activationEnergy));
    set("Sample", "reaction\nActivationEnergy=" + std::to_string(aReaction.activationEnergy) +
                      "\nPreExponential=" + factor + "\nReactionHeat=" + std::to_string(aReaction.heat));
    return text;
}

class KineticsOnSimulatedRuns : public ::testing::TestWithParam<RReaction> {
protected:
    // Records the run at aRate into a program-data folder of its own: from room temperature to
    // 320 °C, past the end of the slowest reaction at 20 °C/min.
    std::string Record(double aRate) {
        const std::string data = dir.Str() + "data" + std::to_string(static_cast<int>(aRate));
        const std::string opt = "--data-dir " + ShellQuote(data) + " ";
        EXPECT_EQ(RunCli(opt + "config").exitCode, 0);
        WriteFileBytes(data + "/Devices.ini", DevicesFor(GetParam(), aRate));
        const std::string program = data + "/heat.prg";
        RCliResult r = RunCli(opt + "program new --step heat:320 --out " + ShellQuote(program));
        EXPECT_EQ(r.exitCode, 0) << r.err;
        const std::string run = dir.Str() + "run" + std::to_string(static_cast<int>(aRate)) + ".dsc";
        r = RunCli(opt + "record --program " + ShellQuote(program) + " --out " + ShellQuote(run) + " --json");
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return run;
    }

    TTempDir dir;
};

}  // namespace

TEST_P(KineticsOnSimulatedRuns, DetectionFindsTheEffectAndKissingerItsActivationEnergy) {
    const RReaction reaction = GetParam();
    std::vector<std::string> runs;
    std::vector<double> topTemps;
    const std::string opt = "--data-dir " + ShellQuote(dir.Str() + "data5") + " ";
    for (double rate : {5.0, 10.0, 20.0}) {
        runs.push_back(Record(rate));
        // Detection itself finds the effect, on the side its heat puts it: the largest peak.
        const RCliResult r = RunCli(opt + "--json peaks " + ShellQuote(runs.back()));
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const json peaks = json::parse(r.out)["peaks"];
        ASSERT_FALSE(peaks.empty()) << rate;
        json largest = peaks[0];
        for (const json& p : peaks)
            if (p["area"].get<double>() > largest["area"].get<double>()) largest = p;
        EXPECT_EQ(largest["state"], reaction.heat > 0 ? "PEAK_STATE_DOWN" : "PEAK_STATE_UP") << rate;
        topTemps.push_back(largest["topTemp"].get<double>());
    }
    RCliResult r = RunCli(opt + "plugins install " + ShellQuote(KINETICS_PLUGIN) + " TKinetics");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = RunCli(opt + "plugin Kinetics 'Кинетика по Киссинджеру' " + ShellQuote(runs[0]) + " " +
               ShellQuote(runs[1]) + " " + ShellQuote(runs[2]) + " --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json result = json::parse(r.out);
    const double ea = std::stod(result["activationEnergy"].get<std::string>());
    EXPECT_NEAR(ea, reaction.activationEnergy, reaction.activationEnergy * 0.1) << r.out;
    EXPECT_GT(std::stod(result["r2"].get<std::string>()), 0.99) << r.out;
    EXPECT_EQ(result["count"], "3");
    // The plug-in took the detected peaks: their top temperatures.
    for (size_t k = 0; k < 3; ++k) {
        const std::string row = result["row." + std::to_string(k + 1)].get<std::string>();
        EXPECT_NEAR(std::stod(row.substr(row.rfind(';') + 1)), topTemps[k], 0.01) << row;
    }
    // Kissinger needs three heating rates.
    r = RunCli(opt + "plugin Kinetics 'Кинетика по Киссинджеру' " + ShellQuote(runs[0]) + " --json");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("не менее трёх"), std::string::npos) << r.err;
}

// A weak, broad exotherm (about 0.03 K spread over a quarter of an hour at 5 °C/min), a strong,
// narrow one, and an effect that takes heat up.
INSTANTIATE_TEST_SUITE_P(Reactions, KineticsOnSimulatedRuns,
                         ::testing::Values(RReaction{60, 100}, RReaction{150, 300}, RReaction{100, -150}));
