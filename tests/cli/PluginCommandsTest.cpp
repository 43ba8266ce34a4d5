#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "common/BinaryIO.h"
#include "data/DataFileHeader.h"
#include "support/RunCli.h"

using namespace kalvero;
using namespace kalvero::test;
using nlohmann::json;

TEST(CliPlugins, InstallListAndRun) {
    TTempDir dir;
    const std::string data = "--data-dir " + ShellQuote(dir.Str() + "data") + " ";
    RCliResult r = RunCli(data + "plugins --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(json::parse(r.out)["plugins"].empty());
    EXPECT_TRUE(json::parse(r.out)["error"].is_null());

    r = RunCli(data + "plugins install " + ShellQuote(ECHO_PLUGIN) + " TEcho");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = RunCli(data + "plugins --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json list = json::parse(r.out);
    ASSERT_EQ(list["plugins"].size(), 1u);
    EXPECT_EQ(list["plugins"][0]["pluginName"], "Echo");
    EXPECT_EQ(list["plugins"][0]["className"], "TEcho");
    EXPECT_EQ(list["plugins"][0]["loaded"], true);
    EXPECT_EQ(list["plugins"][0]["caps"], json::parse(R"(["pcFileMenu", "pcGraphicMenu"])"));

    TOldDtaFileHeader h;
    h.FileVersion = "1.2", h.ItemCount = 3, h.NumberOfChannels = 1;
    TBinaryWriter w;
    for (int i = 0; i < 3; ++i)
        w.Write<int32_t>(10), w.Write<int32_t>(20);
    const std::string file = dir.Str() + "e.dsc";
    WriteFileBytes(file, EncodeHeader(h) + w.Data());
    r = RunCli(data + "plugin Echo '&Изменить' " + ShellQuote(file) + " " + ShellQuote(file) +
               " --param a=1 --out " + ShellQuote(dir.Str() + "out.dsc") + " --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json params = json::parse(r.out);
    EXPECT_EQ(params["command"], "Изменить");
    EXPECT_EQ(params["experiments"], "2");
    EXPECT_EQ(params["editPeakNumber"], "0");
    EXPECT_EQ(params["a"], "1");
    r = RunCli(data + "dump " + ShellQuote(dir.Str() + "out.dsc") + " --to 1 --json");
    EXPECT_EQ(json::parse(r.out)["dt"][0], 21);

    r = RunCli(data + "plugin Nothing cmd " + ShellQuote(file));
    EXPECT_EQ(r.exitCode, 1);
}
