#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>

#include "support/RunCli.h"

using namespace kalvero::test;
using nlohmann::json;

namespace {

const std::string kSource = KALVERO_SOURCE_DIR;

// A program-data folder with the given devices file (UTF-8 is read as it is) and the shipped
// table of the simulated sensor.
class RecordTest : public ::testing::Test {
protected:
    void Devices(const std::string& aText) {
        std::filesystem::create_directories(dir.Path() / "data" / "calibration");
        WriteFileBytes(dir.Path() / "data" / "Settings.ini", "");
        WriteFileBytes(dir.Path() / "data" / "Devices.ini", aText);
        std::filesystem::copy_file(kSource + "/data/defaults/calibration/SimulatedCell.tbl",
                                   dir.Path() / "data" / "calibration" / "SimulatedCell.tbl",
                                   std::filesystem::copy_options::overwrite_existing);
    }
    // The shipped devices file of the simulated USB cell, with other simulated-cell keys.
    void SimulatedUsb(const std::string& aCell) {
        std::string text = ReadFileBytes(kSource + "/data/samples/SimulatedUsbCell.ini");
        text = std::regex_replace(text, std::regex("Faults=\\r?\\n"), "");
        text = std::regex_replace(text, std::regex("Speed=60\\r?\\n"), aCell + "PortLog=" + PortLog() + "\n");
        Devices(text);
    }
    std::string Data() const { return ShellQuote(dir.Str() + "data"); }
    std::string Out() const { return dir.Str() + "run.dsc"; }
    std::string PortLog() const { return dir.Str() + "port.log"; }
    std::string Program() const { return ShellQuote(kSource + "/data/samples/Indium.prg"); }
    // The heater state of the last port write (third column of the port log).
    std::string LastHeaterState() const {
        std::ifstream in(PortLog());
        std::string line, last;
        while (std::getline(in, line))
            last = line;
        return last.empty() ? "" : last.substr(last.rfind(' ') + 1);
    }

    TTempDir dir;
};

}  // namespace

TEST_F(RecordTest, EmulatorRecordsTheGivenExperimentTime) {
    Devices("[DEFAULT_DEVICE]\nInterfaceType=EMU\n[SIMULATED_CELL]\nSpeed=20\n");
    const RCliResult r =
        RunCli("--data-dir " + Data() + " --json record --seconds 20 --out " + ShellQuote(Out()));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json j = json::parse(r.out);
    EXPECT_GE(j["itemCount"].get<int>(), 200);
    EXPECT_LE(j["itemCount"].get<int>(), 215);
    EXPECT_EQ(j["channelCount"], 1);
    EXPECT_EQ(j["state"], "Ожидание");
    EXPECT_EQ(j["file"], Out());
    // The file holds what was recorded, no empty rest.
    const RCliResult info = RunCli("--data-dir " + Data() + " --json info " + ShellQuote(Out()));
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_EQ(json::parse(info.out)["itemCount"], j["itemCount"]);
}

TEST_F(RecordTest, HeatingProgramOnTheSimulatedCellEndsTheRun) {
    SimulatedUsb("Speed=600\n");
    const RCliResult r = RunCli("--data-dir " + Data() + " --json record --program " + Program() + " --out " +
                                ShellQuote(Out()));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json j = json::parse(r.out);
    // Heat from 25 to 200 °C at 10 °C/min, hold 2 min, free run 2 min: about 21.5 min at 25 Hz.
    EXPECT_NEAR(j["itemCount"].get<double>() / 25 / 60, 21.6, 0.5);
    EXPECT_EQ(LastHeaterState(), "0");
    const RCliResult peaks = RunCli("--data-dir " + Data() + " --json peaks " + ShellQuote(Out()));
    ASSERT_EQ(peaks.exitCode, 0) << peaks.err;
    bool indium = false;
    const json found = json::parse(peaks.out);
    for (const json& p : found["peaks"]) {
        if (!p["onsetTemp"].is_null() && std::abs(p["onsetTemp"].get<double>() - 156.6) < 1) indium = true;
    }
    EXPECT_TRUE(indium) << peaks.out;
}

TEST_F(RecordTest, InterruptStopsSavesAndSwitchesTheHeaterOff) {
    SimulatedUsb("Speed=20\n");
    const std::string command =
        "--data-dir " + Data() + " --json record --program " + Program() + " --out " + ShellQuote(Out());
    // The recording runs in the background and gets Ctrl-C once the heater is on.
    const std::string script = "sleep 2; kill -INT $(cat " + ShellQuote(dir.Str() + "pid") + ")";
    const std::string env = "sh -c 'echo $$ > " + dir.Str() + "pid; exec \"$0\" \"$@\"' ";
    std::system(("(" + script + ") &").c_str());
    const RCliResult r = RunCli(command, env);
    EXPECT_EQ(r.exitCode, 130) << r.err;
    const json j = json::parse(r.out);
    EXPECT_GT(j["itemCount"].get<int>(), 100);
    EXPECT_TRUE(std::filesystem::exists(Out()));
    EXPECT_EQ(LastHeaterState(), "0");
}

TEST_F(RecordTest, FailureExitsWithTheStateTextAndKeepsTheData) {
    SimulatedUsb("Speed=200\nFaults=timeout\nFaultAfter=60\n");
    const RCliResult r =
        RunCli("--data-dir " + Data() + " record --program " + Program() + " --out " + ShellQuote(Out()));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Ошибка - Thread execute - Execute: buffer wait timed out"), std::string::npos)
        << r.err;
    EXPECT_TRUE(r.out.empty());
    EXPECT_TRUE(std::filesystem::exists(Out()));
    EXPECT_EQ(LastHeaterState(), "0");
}

TEST_F(RecordTest, InterfaceThatCannotBeUsedIsAFailure) {
    Devices("[DEFAULT_DEVICE]\nInterfaceType=USB_LA24_UNI\nfrequency=10\n");
    const RCliResult r = RunCli("--data-dir " + Data() + " record --seconds 1 --out " + ShellQuote(Out()));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Ошибка инициализации интерфейса прибора: Указана неверная частота"),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(std::filesystem::exists(Out()));
}

// The calibration of the README: the references indium and zinc melted in one run give the dT
// table (points from their peaks) and the heat table (their areas); a run of tin then reads its
// onset and its heat of fusion as the cell was set.
TEST_F(RecordTest, CalibrationWithReferenceRunsReadsAnotherSubstance) {
    SimulatedUsb("Speed=600\n");
    const auto devicesFile = dir.Path() / "data" / "Devices.ini";
    // The pan's substances, as the last key of the cell's section.
    auto substances = [&](const std::string& aList) {
        const std::string text =
            std::regex_replace(ReadFileBytes(devicesFile), std::regex("Substances=[^\n]*\n?"), "");
        WriteFileBytes(devicesFile, text + "\nSubstances=" + aList + "\n");
    };
    substances("indium:10,zinc:5");
    // The shipped detection limits, which fit the 24-bit converter.
    std::filesystem::copy_file(kSource + "/data/defaults/Settings.ini", dir.Path() / "data" / "Settings.ini",
                               std::filesystem::copy_options::overwrite_existing);
    const std::string cli = "--data-dir " + Data() + " --json ";
    const std::string program = ShellQuote(kSource + "/data/samples/Calibration.prg");
    const std::string references = ShellQuote(dir.Str() + "references.dsc");
    const std::string calibration = dir.Str() + "data/calibration/";
    ASSERT_EQ(RunCli(cli + "record --program " + program + " --out " + references).exitCode, 0);
    const RCliResult dt =
        RunCli(cli + "table auto-dt " + references + " --out " + ShellQuote(calibration + "Dt.tbl"));
    ASSERT_EQ(dt.exitCode, 0) << dt.err;
    const json points = json::parse(dt.out)["points"];
    ASSERT_EQ(points.size(), 2u) << dt.out;
    // The cell's pair gives 204800 counts per kelvin.
    for (const json& p : points)
        EXPECT_NEAR(p["factor"].get<double>(), 1.0 / 204800, 0.05 / 204800);

    const json peaks = json::parse(RunCli(cli + "peaks " + references).out)["peaks"];
    ASSERT_EQ(peaks.size(), 2u) << peaks.dump();
    const RCliResult heat =
        RunCli(cli + "table build --kind heat --out " + ShellQuote(calibration + "Heat.tbl") +
               " --point substance=indium,weight=10,area=" +
               std::to_string(std::lround(peaks[0]["area"].get<double>())) +
               " --point substance=zinc,weight=5,area=" +
               std::to_string(std::lround(peaks[1]["area"].get<double>())));
    ASSERT_EQ(heat.exitCode, 0) << heat.err;
    EXPECT_EQ(json::parse(heat.out)["points"][1]["description"], "Индий");

    substances("tin:6");
    std::string devices = ReadFileBytes(devicesFile);
    devices = std::regex_replace(devices, std::regex("\nDiffTempCalibrationTable=[^\n]*\n"),
                                 "\nDiffTempCalibrationTable=Dt.tbl\n");
    devices = std::regex_replace(devices, std::regex("\nHeatCalibrationTable=[^\n]*\n"),
                                 "\nHeatCalibrationTable=Heat.tbl\n");
    WriteFileBytes(devicesFile, devices);
    const std::string tin = ShellQuote(dir.Str() + "tin.dsc");
    ASSERT_EQ(RunCli(cli + "record --program " + program + " --mass 6 --sample Олово --out " + tin).exitCode,
              0);
    const RCliResult measured = RunCli(cli + "peaks " + tin);
    ASSERT_EQ(measured.exitCode, 0) << measured.err;
    const json found = json::parse(measured.out)["peaks"];
    ASSERT_EQ(found.size(), 1u) << measured.out;
    EXPECT_NEAR(found[0]["onsetTemp"].get<double>(), 231.9, 1.0);
    EXPECT_NEAR(found[0]["specificHeat"].get<double>(), 60.5, 60.5 * 0.05);
    const json info = json::parse(RunCli(cli + "info " + tin).out);
    EXPECT_EQ(info["sampleWeight"], 6.0);
}

// A program-data folder made by a first start records temperatures in degrees: on the emulator,
// whose counts window maps to a ramp from −29 to 512 °C, and on the simulated 24-bit module once
// the interface (and a frequency it allows) is chosen.
TEST(RecordInAFreshFolder, TemperaturesAreDegreesOnTheEmulatorAndTheSimulatedModule) {
    TTempDir dir;
    const auto record = [&](const std::string& aFolder, const std::string& aInterface) {
        const std::string data = ShellQuote(dir.Str() + aFolder);
        EXPECT_EQ(RunCli("--data-dir " + data + " config").exitCode, 0);
        const std::string devices = dir.Str() + aFolder + "/Devices.ini";
        std::string text =
            std::regex_replace(ReadFileBytes(devices), std::regex("\nSpeed=1(\r?\n)"), "\nSpeed=20$1");
        if (!aInterface.empty()) {
            text = std::regex_replace(text, std::regex("InterfaceType=EMU"), "InterfaceType=" + aInterface);
            text = std::regex_replace(text, std::regex("\nfrequency=10"), "\nfrequency=25");
        }
        WriteFileBytes(devices, text);
        const std::string out = ShellQuote(dir.Str() + aFolder + ".dsc");
        const RCliResult r = RunCli("--data-dir " + data + " record --seconds 40 --out " + out);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        const RCliResult dump = RunCli("--data-dir " + data + " --json dump " + out);
        EXPECT_EQ(dump.exitCode, 0) << dump.err;
        return json::parse(dump.out);
    };
    // The sensor's temperature at a 24-bit reading.
    const auto sensor = [](double aCounts) {
        const double c = aCounts / 2048;
        return (-7 + std::sqrt(49 - 4 * 0.0012 * (200 - c))) / (2 * 0.0012);
    };
    // The ramp starts at the bottom of the window and rises 2.048 of the sensor's twelve-bit
    // counts (200 + 7·T + 0.0012·T²) a reading: 798.7 counts, 84.3 °C, after 39 s of readings (a
    // busy machine skips readings, whose items keep the temperature before them). Every
    // temperature is the sensor's at its counts.
    const json emulator = record("emulator", "");
    const json& tc = emulator["tc"];
    ASSERT_GT(tc.size(), 390u);
    EXPECT_NEAR(tc[0].get<double>(), -28.7, 0.5);
    EXPECT_GT(tc[390].get<double>(), 50);
    EXPECT_LT(tc[390].get<double>(), 85);
    for (size_t i = 0; i < tc.size(); i += 10)
        ASSERT_NEAR(tc[i].get<double>(), sensor(emulator["t"][i].get<double>()), 0.1) << i;
    // The simulated cell at room temperature, its heater off.
    const json usb = record("usb", "USB_LA24_UNI")["tc"];
    ASSERT_GT(usb.size(), 900u);
    for (size_t i = 0; i < usb.size(); i += 100)
        EXPECT_NEAR(usb[i].get<double>(), 25, 0.1) << i;
}
