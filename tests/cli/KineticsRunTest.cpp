// Three runs of a first-order reaction recorded on the simulated cell at 5, 10 and 20 °C/min,
// evaluated by the Kissinger plug-in: the activation energy the cell was set up with comes back.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <fstream>
#include <regex>

#include "support/RunCli.h"

using namespace kalvero::test;
using nlohmann::json;

namespace {

constexpr double kActivationEnergy = 120;  // kJ/mol

// The simulated USB cell's device file with a reaction sample heated at aRate.
std::string DevicesFor(double aRate) {
    std::string text = ReadFileBytes(std::string(KALVERO_SOURCE_DIR) + "/data/samples/SimulatedUsbCell.ini");
    text = std::regex_replace(text, std::regex("\nSpeed=[^\r\n]*"), "\nSpeed=600");
    text = std::regex_replace(text, std::regex("\nHeatingRate=[^\r\n]*"),
                              "\nHeatingRate=" + std::to_string(aRate));
    text =
        std::regex_replace(text, std::regex("\nheatSpeed=[^\r\n]*"), "\nheatSpeed=" + std::to_string(aRate));
    text = std::regex_replace(text, std::regex("\nSampleMass=[^\r\n]*"), "\nSampleMass=5");
    text = std::regex_replace(text, std::regex("\nSample=[^\r\n]*"),
                              "\nSample=reaction\nActivationEnergy=" + std::to_string(kActivationEnergy) +
                                  "\nPreExponential=1e12\nReactionHeat=300");
    return text;
}

}  // namespace

TEST(KineticsOnSimulatedRuns, KissingerGivesBackTheActivationEnergy) {
    TTempDir dir;
    std::vector<std::string> runs;
    for (double rate : {5.0, 10.0, 20.0}) {
        const std::string data = dir.Str() + "data" + std::to_string(static_cast<int>(rate));
        const std::string opt = "--data-dir " + ShellQuote(data) + " ";
        ASSERT_EQ(RunCli(opt + "config").exitCode, 0);
        WriteFileBytes(data + "/Devices.ini", DevicesFor(rate));
        const std::string program = data + "/heat.prg";
        RCliResult r = RunCli(opt + "program new --step heat:230 --out " + ShellQuote(program));
        ASSERT_EQ(r.exitCode, 0) << r.err;
        runs.push_back(dir.Str() + "run" + std::to_string(static_cast<int>(rate)) + ".dsc");
        r = RunCli(opt + "record --program " + ShellQuote(program) + " --out " + ShellQuote(runs.back()) +
                   " --json");
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }
    const std::string opt = "--data-dir " + ShellQuote(dir.Str() + "data5") + " ";
    RCliResult r = RunCli(opt + "plugins install " + ShellQuote(KINETICS_PLUGIN) + " TKinetics");
    ASSERT_EQ(r.exitCode, 0) << r.err;

    r = RunCli(opt + "plugin Kinetics 'Кинетика по Киссинджеру' " + ShellQuote(runs[0]) + " --json");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("не менее трёх"), std::string::npos) << r.err;

    r = RunCli(opt + "plugin Kinetics 'Кинетика по Киссинджеру' " + ShellQuote(runs[0]) + " " +
               ShellQuote(runs[1]) + " " + ShellQuote(runs[2]) + " --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json result = json::parse(r.out);
    const double ea = std::stod(result["activationEnergy"].get<std::string>());
    EXPECT_NEAR(ea, kActivationEnergy, kActivationEnergy * 0.1) << r.out;
    EXPECT_GT(std::stod(result["r2"].get<std::string>()), 0.99) << r.out;
    EXPECT_EQ(result["count"], "3");
}
