#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "common/Cp1251.h"
#include "support/RunCli.h"

using namespace kalvero::test;
using nlohmann::json;

TEST(CliConfig, FreshDataDirIsCreatedAndShowsTheDefaults) {
    TTempDir dir;
    const std::string data = (dir.Path() / "new").string();
    const RCliResult r = RunCli("--data-dir " + ShellQuote(data) + " config --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json j = json::parse(r.out);
    EXPECT_EQ(j["heatSpeedList"], json::parse("[1.0, 2.0, 5.0, 10.0, 20.0, 50.0]"));
    EXPECT_EQ(j["interfaceType"], "itEmul");
    EXPECT_EQ(j["diffTempCalibrationTableType"], "cttDiffTemperature");
    EXPECT_EQ(j["fileVersion"], "1.0");
    EXPECT_EQ(j["smoothDotCount"], 32);
    EXPECT_EQ(j["tempChannelUnitsName"], "°С");
    EXPECT_EQ(j["deviceControlType"], "dctNone");
    EXPECT_EQ(j["logLevel"], "llNone");
    EXPECT_EQ(j["display"]["smallCaptionFontSizeFixed"], 12);
    EXPECT_EQ(j["display"]["backGroundColor"], 0xFF000000u);
    EXPECT_EQ(j["fProgramDataPath"], data + "/");
    EXPECT_GE(j["systemSpeed"].get<int>(), 1000);
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "new" / "Settings.ini"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "new" / "Devices.ini"));
}

TEST(CliConfig, DataDirComesFromTheEnvironmentUnlessGiven) {
    TTempDir dir;
    const std::string envDir = (dir.Path() / "env").string();
    RCliResult r = RunCli("config --json", "KALVERO_DATA_DIR=" + ShellQuote(envDir));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(json::parse(r.out)["fProgramDataPath"], envDir + "/");
    r = RunCli("--data-dir " + ShellQuote((dir.Path() / "opt").string()) + " config --json",
               "KALVERO_DATA_DIR=" + ShellQuote(envDir));
    EXPECT_EQ(json::parse(r.out)["fProgramDataPath"], (dir.Path() / "opt").string() + "/");
}

TEST(CliConfig, FailuresAndUsageErrorsHaveTheirExitCodes) {
    TTempDir dir;
    WriteFileBytes(dir.Path() / "Settings.ini", "");
    WriteFileBytes(dir.Path() / "Devices.ini", "[DEFAULT_DEVICE]\nUsbGetDataMode=bogus\n");
    RCliResult r = RunCli("--data-dir " + ShellQuote(dir.Str()) + " config --json");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Неверный тип чтения данных: BOGUS"), std::string::npos);
    EXPECT_TRUE(r.out.empty());

    r = RunCli("--data-dir " + ShellQuote(dir.Str()) + " no-such-command");
    EXPECT_EQ(r.exitCode, 2);
    r = RunCli("--bogus-option config");
    EXPECT_EQ(r.exitCode, 2);
}

TEST(CliConfig, LogsTheBannerInWindows1251WhenLoggingIsOn) {
    TTempDir dir;
    WriteFileBytes(dir.Path() / "Settings.ini", "[ApplicationParameters]\nlogLevel=2\n");
    WriteFileBytes(dir.Path() / "Devices.ini", "[DEFAULT_DEVICE]\nInterfaceType=PCI\n");
    const RCliResult r = RunCli("--data-dir " + ShellQuote(dir.Str()) + " config");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("interfaceType: itEmul"), std::string::npos);
    EXPECT_NE(r.err.find("Неверный тип интерфейса в настройках: PCI"), std::string::npos);
    const std::string log = ReadFileBytes(dir.Path() / "log" / "Kalvero.log");
    EXPECT_NE(log.find("[LOG     ] [Kalvero] (TLogger) " + std::string(144, '*') + "\r\n"),
              std::string::npos);
    EXPECT_NE(
        log.find(
            "Log engine created [logLevel: INFO    ; Encoding: ANSI (Win-1251); DaysForDeleteOldFiles: 15]"),
        std::string::npos);
}
