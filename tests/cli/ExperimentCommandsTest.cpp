#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "common/BinaryIO.h"
#include "data/DataFileHeader.h"
#include "support/RunCli.h"

using namespace kalvero;
using namespace kalvero::test;
using nlohmann::json;

namespace {

// A two-channel experiment file of 50 items, written the way the program writes them.
std::string TwoChannelFile() {
    TOldDtaFileHeader h;
    h.Title = DATAFILE_TITLE;
    h.FileVersion = "1.2", h.ItemCount = 50, h.NumberOfChannels = 2, h.TimeRatio = 5, h.HeatSpeed = 10;
    h.SampleName = "Олово", h.ExperimentDate = "03.04.2021 10:20:30", h.Weight = 7.25,
    h.LaboratoryName = "|ЛТА";
    TBinaryWriter w;
    for (int ch = 0; ch < 2; ++ch) {
        for (int i = 0; i < 50; ++i)
            w.Write<int32_t>(100 * ch + i), w.Write<int32_t>(1000 + i);
    }
    return EncodeHeader(h) + w.Data();
}

class CliExperiment : public ::testing::Test {
protected:
    TTempDir dir;
    std::string data = MakeCliDataDir(dir);
    std::string file = dir.Str() + "two.dsc";
    void SetUp() override { WriteFileBytes(file, TwoChannelFile()); }
};

}  // namespace

TEST_F(CliExperiment, InfoDescribesTheFile) {
    const RCliResult r = RunCli("--data-dir " + data + " info " + ShellQuote(file) + " --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json j = json::parse(r.out);
    EXPECT_EQ(j["itemCount"], 50);
    EXPECT_EQ(j["channelCount"], 2);
    EXPECT_EQ(j["channels"][0]["name"], "Канал №1 - two.dsc");
    EXPECT_EQ(j["channels"][1]["scanEndPoint"], 49);
    EXPECT_EQ(j["frequency"], 5.0);
    EXPECT_EQ(j["sampleName"], "Олово");
    EXPECT_EQ(j["laboratoryName"], "ЛТА");
    EXPECT_EQ(j["sampleWeight"], 7.25);
    EXPECT_EQ(j["dateCreate"], "2021-04-03T10:20:30");
    EXPECT_EQ(j["fileVersion"], "1.2");
    EXPECT_TRUE(j["warnings"].empty());
}

TEST_F(CliExperiment, DumpPrintsOneChannelOverARange) {
    const RCliResult r =
        RunCli("--data-dir " + data + " dump " + ShellQuote(file) + " --channel 1 --from 10 --to 13 --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json j = json::parse(r.out);
    EXPECT_EQ(j["t"], json::parse("[110, 111, 112]"));
    EXPECT_EQ(j["dt"], json::parse("[1010, 1011, 1012]"));
    EXPECT_EQ(j["tc"].size(), 3u);
    const RCliResult bad = RunCli("--data-dir " + data + " dump " + ShellQuote(file) + " --channel 5");
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_FALSE(bad.err.empty());
}

TEST_F(CliExperiment, ConvertSavesASelectionAndAddedChannels) {
    const std::string out = dir.Str() + "out.dsc";
    RCliResult r = RunCli("--data-dir " + data + " convert " + ShellQuote(file) + " " + ShellQuote(out) +
                          " --selection 10:30 --add " + ShellQuote(file) + " --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    json j = json::parse(r.out);
    EXPECT_EQ(j["itemCount"], 20);
    EXPECT_EQ(j["channelCount"], 4);
    EXPECT_EQ(j["channels"][3]["name"], "Канал № 4 - two.dsc");
    r = RunCli("--data-dir " + data + " dump " + ShellQuote(out) + " --channel 3 --to 1 --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(json::parse(r.out)["t"][0], 110);
}

TEST_F(CliExperiment, BadFilesAndArguments) {
    WriteFileBytes(dir.Path() / "bad.dsc", "not an experiment");
    RCliResult r = RunCli("--data-dir " + data + " info " + ShellQuote(dir.Str() + "bad.dsc"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("повреждён"), std::string::npos);
    r = RunCli("--data-dir " + data + " info " + ShellQuote(dir.Str() + "none.dsc"));
    EXPECT_EQ(r.exitCode, 1);
    r = RunCli("--data-dir " + data + " info");
    EXPECT_EQ(r.exitCode, 2);
    r = RunCli("--data-dir " + data + " convert " + ShellQuote(file) + " " + ShellQuote(dir.Str() + "o.dsc") +
               " --selection nonsense");
    EXPECT_EQ(r.exitCode, 2);
}
