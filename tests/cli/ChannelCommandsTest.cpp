#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>

#include "common/BinaryIO.h"
#include "data/DataFileHeader.h"
#include "support/RunCli.h"

using namespace kalvero;
using namespace kalvero::test;
using nlohmann::json;

namespace {

// One channel of 6000 items: t = 100 + i / 10 and dt = aOffset + (i × 7919) mod 5, plus two Gaussians
// (dT peaks with a lag of the sample temperature) at items 2000 and 4000 when asked.
std::string ExperimentFile(bool aPeaks, int aOffset) {
    TOldDtaFileHeader h;
    h.Title = DATAFILE_TITLE;
    h.FileVersion = "1.2", h.ItemCount = 6000, h.NumberOfChannels = 1, h.TimeRatio = 10, h.Weight = 25;
    h.EndX = 5999;
    TBinaryWriter w;
    for (int i = 0; i < 6000; ++i) {
        double g = 0;
        if (aPeaks) {
            g = std::exp(-0.5 * std::pow((i - 2000) / 100.0, 2)) +
                std::exp(-0.5 * std::pow((i - 4000) / 100.0, 2));
        }
        w.Write<int32_t>(100 + i / 10 - static_cast<int32_t>(std::lround(5 * g)));
        w.Write<int32_t>(aOffset + (i * 7919 % 5) + static_cast<int32_t>(std::lround(2500 * g)));
    }
    return EncodeHeader(h) + w.Data();
}

class CliChannels : public ::testing::Test {
protected:
    TTempDir dir;
    std::string data = MakeCliDataDir(dir);
    std::string file = dir.Str() + "run.dsc", other = dir.Str() + "empty.dsc", flat = dir.Str() + "flat.dsc";
    std::string out = dir.Str() + "out.dsc";

    void SetUp() override {
        WriteFileBytes(file, ExperimentFile(true, 1000));
        WriteFileBytes(other, ExperimentFile(false, 300));
        WriteFileBytes(flat, ExperimentFile(false, 1000));
    }

    RCliResult Cli(const std::string& aArgs) { return RunCli("--data-dir " + data + " " + aArgs); }
    json Run(const std::string& aArgs) {
        const RCliResult r = Cli(aArgs + " --json");
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r.exitCode == 0 ? json::parse(r.out) : json();
    }
    // Sample aItem of channel 0 of a file.
    json Sample(const std::string& aFile, int aItem) {
        return Run("dump " + ShellQuote(aFile) + " --from " + std::to_string(aItem) + " --to " +
                   std::to_string(aItem + 1));
    }
};

}  // namespace

TEST_F(CliChannels, CutClipsAndOrdersTheBounds) {
    const json info = Run("edit " + ShellQuote(file) + " --cut 200:-5 --out " + ShellQuote(out));
    EXPECT_EQ(info["itemCount"], 5800);
    EXPECT_EQ(Sample(out, 0)["t"], Sample(file, 200)["t"]);
    EXPECT_EQ(Sample(out, 0)["t"][0], 120);

    const RCliResult r =
        Cli("edit " + ShellQuote(file) + " --cut 3:9000 --out " + ShellQuote(dir.Str() + "x.dsc"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(r.err.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "x.dsc"));
}

TEST_F(CliChannels, SubtractUndoAndSwaps) {
    Run("edit " + ShellQuote(file) + " --subtract " + ShellQuote(other) + " --level 7 --out " +
        ShellQuote(out));
    EXPECT_EQ(Sample(out, 10)["dt"][0], 1000 - 300 + 7);  // the same noise on both curves
    EXPECT_EQ(Sample(out, 10)["t"], Sample(file, 10)["t"]);

    Run("edit " + ShellQuote(file) + " --subtract " + ShellQuote(other) +
        " --undo --swap-temp 0 --swap-temp 0" + " --copy 0:0 --out " + ShellQuote(out));
    for (int i : {10, 2000, 5999})
        EXPECT_EQ(Sample(out, i), Sample(file, i)) << i;

    const RCliResult r =
        Cli("edit " + ShellQuote(file) + " --swap 0:3 --out " + ShellQuote(dir.Str() + "y.dsc"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "y.dsc"));
}

TEST_F(CliChannels, AutoDtPointsAndTable) {
    const std::string table = dir.Str() + "dt.tbl";
    const json j = Run("table auto-dt " + ShellQuote(file) + " --out " + ShellQuote(table));
    ASSERT_EQ(j["points"].size(), 2u);
    EXPECT_NEAR(j["points"][0]["temp"].get<double>(), 295, 2);
    EXPECT_NEAR(j["points"][1]["temp"].get<double>(), 495, 2);
    EXPECT_NEAR(j["points"][0]["dT"].get<double>(), 5, 0.6);
    EXPECT_NEAR(j["points"][0]["height"].get<double>(), 2500, 60);
    EXPECT_GT(j["points"][0]["factor"].get<double>(), 0);
    const json shown = Run("table show " + ShellQuote(table));
    EXPECT_EQ(shown["points"].size(), 2u);

    const RCliResult r = Cli("table auto-dt " + ShellQuote(flat));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("На данной кривой не обнаружено пиков. Автоматическая калибровка невозможна."),
              std::string::npos);
}
