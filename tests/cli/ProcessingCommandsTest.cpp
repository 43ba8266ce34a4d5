#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <regex>

#include "calibration/HeatCalibration.h"
#include "common/BinaryIO.h"
#include "data/DataFileHeader.h"
#include "support/RunCli.h"

using namespace kalvero;
using namespace kalvero::test;
using nlohmann::json;

namespace {

constexpr double kArea = 2500 * 100 * 2.5066282746310002;  // height × σ × √(2π)

// One channel of 6000 items at 10 per second: a Gaussian (height 2500, σ 100) at item 3000 on a
// flat base with a little noise; or a flat curve.
std::string ExperimentFile(bool aWithPeak) {
    TOldDtaFileHeader h;
    h.Title = DATAFILE_TITLE;
    h.FileVersion = "1.2", h.ItemCount = 6000, h.NumberOfChannels = 1, h.TimeRatio = 10, h.Weight = 25;
    h.EndX = 5999;
    TBinaryWriter w;
    for (int i = 0; i < 6000; ++i) {
        const double g = aWithPeak ? 2500 * std::exp(-0.5 * std::pow((i - 3000) / 100.0, 2)) : 0;
        w.Write<int32_t>(100 + i / 100);
        w.Write<int32_t>(static_cast<int32_t>(std::lround(1000 + g)) + (i * 7919 % 5) - 2);
    }
    return EncodeHeader(h) + w.Data();
}

class CliProcessing : public ::testing::Test {
protected:
    TTempDir dir;
    std::string data = MakeCliDataDir(dir);
    std::string file = dir.Str() + "peak.dsc";
    std::string flat = dir.Str() + "flat.dsc";

    void SetUp() override {
        WriteFileBytes(file, ExperimentFile(true));
        WriteFileBytes(flat, ExperimentFile(false));
    }

    json Run(const std::string& aArgs) {
        const RCliResult r = RunCli("--data-dir " + data + " " + aArgs + " --json");
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r.exitCode == 0 ? json::parse(r.out) : json();
    }
};

}  // namespace

TEST_F(CliProcessing, PeaksDetectsTheEffect) {
    const json j = Run("peaks " + ShellQuote(file));
    ASSERT_EQ(j["peaks"].size(), 1u);
    const json& p = j["peaks"][0];
    EXPECT_NEAR(p["topX"].get<double>(), 3000, 10);
    EXPECT_EQ(p["state"], "PEAK_STATE_UP");
    EXPECT_NEAR(p["area"].get<double>(), kArea, 0.01 * kArea);
    EXPECT_NEAR(p["areaByTime"].get<double>(), kArea / 10, 0.01 * kArea / 10);
    EXPECT_NEAR(p["onsetX"].get<double>(), 2800, 10);
    EXPECT_EQ(p["tangentOnsetTemp"].get<double>(),
              100 + p["onsetX"].get<int>() / 100);  // identity temperature table
    // The extrapolated onset of a Gaussian: two widths before its top, at 128 (the temperature
    // rises by one every 100 items).
    EXPECT_NEAR(p["onsetTemp"].get<double>(), 128, 1);
    EXPECT_NEAR(p["topTemp"].get<double>(), 130, 0.01);
    EXPECT_TRUE(p["heat"].is_null());
    EXPECT_TRUE(p["specificHeat"].is_null());
    EXPECT_NE(p["text"].get<std::string>().find(" отсч."), std::string::npos);

    // The plain output: the items, then the temperatures and the area as the experiment shows
    // them (counts here: no temperature table, no heat table), then the effect's direction.
    const RCliResult plain = RunCli("--data-dir " + data + " peaks " + ShellQuote(file));
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_TRUE(
        std::regex_search(plain.out, std::regex("^peaks: 1\n[0-9]+ \\.\\.\\. [0-9]+  top [0-9]+  onset "
                                                "[0-9]+  T onset [0-9]+ отсч\\.  T peak 130 отсч\\.  "
                                                "[0-9 ]+ отсч\\.  эндо\n$")))
        << plain.out;

    EXPECT_TRUE(Run("peaks " + ShellQuote(flat))["peaks"].empty());
    EXPECT_TRUE(Run("peaks " + ShellQuote(file) + " --from 4000 --to 5999")["peaks"].empty());
}

TEST_F(CliProcessing, ManualPeakAndHeat) {
    // A heat table of 0.001 J per count at every degree.
    THeatCalibrationTable table(0, 1000);
    table.AddHeatRefPoint(0, 1000, 10, 1, 0.001f, false, "a");
    table.AddHeatRefPoint(1000, 1000, 10, 1, 0.001f, false, "b");
    table.Calc();
    std::filesystem::create_directories(dir.Path() / "data" / "calibration");
    table.SaveToFile((dir.Path() / "data" / "calibration" / "heat.tbl").string());
    WriteFileBytes(dir.Path() / "data" / "Devices.ini",
                   "[DEFAULT_DEVICE]\nHeatCalibrationTable=heat.tbl\nTempScale=1\n");

    const json j = Run("peaks " + ShellQuote(file) + " --manual 2500:3500");
    ASSERT_EQ(j["peaks"].size(), 1u);
    const json& p = j["peaks"][0];
    EXPECT_EQ(p["begX"], 2500);
    EXPECT_EQ(p["endX"], 3500);
    EXPECT_NEAR(p["heat"].get<double>(), p["area"].get<double>() * 0.001, 1e-3);
    EXPECT_NEAR(p["specificHeat"].get<double>(), p["heat"].get<double>() / 0.025, 1e-3);
    // The plain output in the operator's units: degrees (the identity table's), joules and joules
    // per gram of the 25 mg sample.
    const RCliResult plain =
        RunCli("--data-dir " + data + " peaks " + ShellQuote(file) + " --manual 2500:3500");
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(
        plain.out, m,
        std::regex("\\n2500 \\.\\.\\. 3500  top [0-9]+  onset [0-9]+  T onset [0-9.]+ °С  "
                   "T peak 130\\.0 °С  ([0-9 ]+\\.[0-9]{2}) Дж  ([0-9 ]+\\.[0-9]{2}) Дж/г  эндо\\n")))
        << plain.out;
    const auto number = [](std::string aText) {  // "25 144.96": thousands apart
        aText.erase(std::remove(aText.begin(), aText.end(), ' '), aText.end());
        return std::stod(aText);
    };
    EXPECT_NEAR(number(m[1]), p["heat"].get<double>(), 0.005);
    EXPECT_NEAR(number(m[2]), p["specificHeat"].get<double>(), 0.005);

    const RCliResult bad = RunCli("--data-dir " + data + " peaks " + ShellQuote(file) + " --manual 25");
    EXPECT_NE(bad.exitCode, 0);
}

TEST_F(CliProcessing, SmoothWritesANewFile) {
    const std::string out = dir.Str() + "smooth.dsc";
    for (const char* method : {"average", "median", "bezier"}) {
        const json j = Run("smooth " + ShellQuote(file) + " --method " + method +
                           " --from 1000 --to 2000 --out " + ShellQuote(out));
        EXPECT_EQ(j["itemCount"], 6000) << method;
        EXPECT_GT(j["changedItems"].get<int>(), 100) << method;
        EXPECT_LE(j["changedItems"].get<int>(), 1001) << method;  // nothing outside the range
        EXPECT_TRUE(std::filesystem::exists(out));
        const json dump = Run("dump " + ShellQuote(out) + " --from 1500 --to 1501");
        EXPECT_NEAR(dump["dt"][0].get<double>(), 1000, 2) << method;
    }
    const RCliResult r = RunCli("--data-dir " + data + " smooth " + ShellQuote(file) +
                                " --method spline --out " + ShellQuote(out));
    EXPECT_NE(r.exitCode, 0);
}

TEST_F(CliProcessing, TangentAtAnItem) {
    const json j = Run("tangent " + ShellQuote(file) + " --at 2900");
    EXPECT_EQ(j["fTangentType"], "ttForDiffTemp");
    EXPECT_EQ(j["x0"], 2900);
    EXPECT_EQ(j["x1"], 2895);
    EXPECT_EQ(j["x2"], 2905);
    EXPECT_EQ(j["points"], 10);
    // The rising flank: about 2500·x/σ²·e^(−x²/2σ²) = 15 counts per item at σ from the centre.
    EXPECT_NEAR(j["tgA_Units"].get<double>(), 15.2, 1);
    EXPECT_NEAR(j["tgA_Real"].get<double>(), 10 * j["tgA_Units"].get<double>(), 1e-6);
    const json t = Run("tangent " + ShellQuote(file) + " --at 3050 --curve t");  // a plateau of the stepped t
    EXPECT_EQ(t["fTangentType"], "ttForTemp");
    EXPECT_NEAR(t["tgA_Units"].get<double>(), 0, 1e-9);

    const RCliResult r = RunCli("--data-dir " + data + " tangent " + ShellQuote(file) + " --at -100");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("не построена"), std::string::npos);
}
