// "cp", "split" and "render --overlay" on files made from the cell model of a sample of known cp.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <QImage>

#include "data/DataClass.h"
#include "data/OpenExport.h"
#include "data/PhysicalExperiment.h"
#include "support/ProgramRuns.h"
#include "support/RunCli.h"
#include "support/TestConfig.h"

using namespace kalvero;
using namespace kalvero::test;
using nlohmann::json;

namespace {

class CliHeatCapacity : public ::testing::Test {
protected:
    TTestConfig config;
    TTempDir dir;
    std::string data = MakeCliDataDir(dir);

    // The run saved as an experiment file (or, for a .csv name, as the open export).
    std::string Save(const TPhysicalRun& run, const std::string& aName) {
        const auto d = ExperimentOf(run);
        const std::string file = dir.Str() + aName;
        if (aName.ends_with(".csv")) {
            WriteOpenExport(*d, file, TOpenExportFormat::Csv);
        } else {
            d->SaveToFile(file, false);
        }
        return file;
    }
    json Run(const std::string& aArgs) {
        const RCliResult r = RunCli("--data-dir " + data + " --json " + aArgs);
        EXPECT_EQ(r.exitCode, 0) << aArgs << "\n" << r.err;
        return r.exitCode == 0 ? json::parse(r.out) : json();
    }
    static void ExpectModel(const json& aTable) {
        ASSERT_FALSE(aTable.empty());
        for (const json& p : aTable) {
            const double T = p["temperature"];
            EXPECT_NEAR(p["cp"].get<double>(), ModelSampleCp(T), 0.005 * ModelSampleCp(T)) << T;
            EXPECT_LT(p["scatter"].get<double>(), 1e-3) << T;
        }
    }
};

}  // namespace

TEST_F(CliHeatCapacity, RatioWithBlankTableAndCurve) {
    const TCpProcedure p;
    const std::string s = Save(p.sample.Run(), "sample.dsc"), r = Save(p.sapphire.Run(), "sapphire.dsc"),
                      b = Save(p.blank.Run(), "blank.dsc"), out = dir.Str() + "cp.dsc";
    const json j =
        Run("cp --sample " + s + " --reference " + r + " --blank " + b + " --at 80,120,160 --out " + out);
    ASSERT_EQ(j["at"].size(), 3u);
    EXPECT_EQ(j["at"][1]["temperature"], 120);
    ExpectModel(j["at"]);
    EXPECT_TRUE(j["warnings"].empty()) << j["warnings"].dump();
    EXPECT_EQ(j["method"], "ratio");
    EXPECT_TRUE(j["isothermalCorrection"]);
    EXPECT_NEAR(j["range"][0].get<double>(), 50, 0.5);

    // The curve is an experiment of its own: cp in J/(g·K), drawn and evaluated like any other.
    const json info = Run("info " + out);
    EXPECT_EQ(info["signal"]["quantity"], "specificHeat");
    EXPECT_EQ(info["signal"]["unit"], "J/(g·K)");
    EXPECT_EQ(info["itemCount"].get<int>(), j["points"].get<int>());
    TDataClass curve;
    curve.LoadFromFile(out, ftDSC, 0);
    for (int i = 0; i < curve.GetItemCount(); i += 97) {
        const TItem& x = curve.items[static_cast<size_t>(i)][0];
        ASSERT_NEAR(x.dtc, ModelSampleCp(x.tc), 0.005 * x.dtc) << i;
    }
    EXPECT_NE(curve.fDescription.find("sapphire.dsc"), std::string::npos);
    EXPECT_EQ(Run("render " + out + " --out " + dir.Str() + "cp.png --mode 1")["peaks"], 0);
}

TEST_F(CliHeatCapacity, MassesRangesRatesAndTables) {
    // The sample's file without a mass, and a text export; the sapphire at 20 K/min.
    const TCpProcedure p(10, 20, 20);
    TPhysicalRun massless = p.sample.Run();
    massless.mass = 0;
    const std::string s = Save(massless, "sample.csv"), r = Save(p.sapphire.Run(), "sapphire.dsc"),
                      b = Save(p.blank.Run(), "blank.dsc");
    const std::string runs = " --sample " + s + " --reference " + r + " --blank " + b;
    const RCliResult missing = RunCli("--data-dir " + data + " cp" + runs);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("Не задана масса: образец"), std::string::npos) << missing.err;

    const json j = Run("cp" + runs + " --sample-mass 10 --range 60C:150C");
    EXPECT_NEAR(j["range"][0].get<double>(), 60, 0.1);
    EXPECT_NEAR(j["range"][1].get<double>(), 150, 0.1);
    ASSERT_EQ(j["at"].size(), 19u);  // 60, 65, … 150: round ones, at most twenty
    ExpectModel(j["at"]);
    ASSERT_EQ(j["warnings"].size(), 1u);
    EXPECT_NE(j["warnings"][0].get<std::string>().find("Скорости нагрева"), std::string::npos);
    EXPECT_NEAR(j["rates"]["reference"].get<double>(), 20, 0.05);

    // Another reference material: a table of twice the sapphire's cp doubles the result.
    std::string table = "TemperatureUnit=C\n";
    for (int T = 0; T <= 300; T += 2)
        table += std::to_string(T) + " " + std::to_string(2 * SapphireCp(T)) + "\n";
    WriteFileBytes(dir.Path() / "double.txt", table);
    const json twice =
        Run("cp" + runs + " --sample-mass 10 --at 100 --reference-cp " + dir.Str() + "double.txt");
    EXPECT_NEAR(twice["at"][0]["cp"].get<double>(), 2 * ModelSampleCp(100), 0.01 * ModelSampleCp(100));
}

TEST_F(CliHeatCapacity, DirectFromHeatFlowAndBlank) {
    const TCpProcedure p;
    const std::string s = Save(p.sample.Run(), "sample.dsc"), b = Save(p.blank.Run(), "blank.dsc");
    const json j = Run("cp --sample " + s + " --blank " + b + " --at 100,150 --out " + dir.Str() + "cp.json");
    EXPECT_EQ(j["method"], "direct");
    ExpectModel(j["at"]);
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "cp.json"));
    // A dT curve has no heat-flow calibration to stand in for the sapphire.
    TPhysicalRun dT = p.sample.Run();
    dT.quantity = sqDiffTemp;
    dT.unit = "K";
    const RCliResult refused = RunCli("--data-dir " + data + " cp --sample " + Save(dT, "dT.dsc"));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("только по тепловому потоку"), std::string::npos) << refused.err;
}

TEST_F(CliHeatCapacity, SplitHeatCoolHeatIntoThreeFiles) {
    TProgramRun p;
    p.segments = {{10, 900}, {-10, 900}, {20, 450}};
    const std::string file = Save(p.Run(), "hch.dsc");
    const json j = Run("split " + file + " --out-prefix " + dir.Str() + "part");
    ASSERT_EQ(j["segments"].size(), 3u);
    const char* kinds[] = {"heating", "cooling", "heating"};
    const double rates[] = {10, -10, 20};
    for (int k = 0; k < 3; ++k) {
        const json& s = j["segments"][k];
        EXPECT_EQ(s["kind"], kinds[k]);
        EXPECT_NEAR(s["rate"].get<double>(), rates[k], 0.05);
        EXPECT_EQ(s["file"], dir.Str() + "part" + std::to_string(k + 1) + ".dsc");
        const json info = Run("info " + s["file"].get<std::string>());
        ASSERT_EQ(info["segments"].size(), 1u);
        EXPECT_EQ(info["segments"][0]["kind"], kinds[k]);
        EXPECT_NEAR(info["heatSpeed"].get<double>(), rates[k], 0.05);
    }
}

TEST_F(CliHeatCapacity, OverlayOfSeveralRuns) {
    const TCpProcedure p(10, 20, 20);
    const std::string a = Save(p.sample.Run(), "a.dsc"), b = Save(p.sapphire.Run(), "b.dsc"),
                      picture = dir.Str() + "o.png";
    const json j = Run("render --overlay " + a + " " + b +
                       " --per-mass --offset 0.1 --mode 1 --width 800 --height 500 "
                       "--out " +
                       picture);
    EXPECT_EQ(j["channels"], 2);
    EXPECT_TRUE(j["warnings"].empty());
    const QImage image(QString::fromStdString(picture));
    EXPECT_EQ(image.width(), 800);
    EXPECT_EQ(image.height(), 500);
    EXPECT_EQ(RunCli("--data-dir " + data + " render --out " + picture).exitCode, 1);  // no run at all
}
