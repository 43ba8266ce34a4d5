#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/RunCli.h"

using namespace kalvero::test;
using nlohmann::json;

namespace {

struct CliTable : ::testing::Test {
    TTempDir dir;
    std::string data = (dir.Path() / "data").string();

    RCliResult Run(const std::string& aArgs) {
        return RunCli("--data-dir " + ShellQuote(data) + " " + aArgs);
    }
    std::string File(const std::string& aName) const { return ShellQuote((dir.Path() / aName).string()); }
    json Json(const std::string& aArgs) {
        const RCliResult r = Run(aArgs);
        EXPECT_EQ(r.exitCode, 0) << aArgs << "\n" << r.err;
        return r.exitCode == 0 ? json::parse(r.out) : json();
    }
};

}  // namespace

TEST_F(CliTable, TemperatureTableBuildShowConvert) {
    const json built = Json(
        "table build --kind temp --range 0:10000 --point unitValue=2000,realValue=120 "
        "--point 'unitValue=1000,realValue=20,description=Галлий, чистый' --name Термопара --out " +
        File("t.tbl") + " --json");
    EXPECT_EQ(built["begRealValue"], -80.0);

    const json j = Json("table show " + File("t.tbl") + " --json");
    EXPECT_EQ(j["kind"], "cttTemperature");
    EXPECT_EQ(j["name"], "Термопара");
    EXPECT_EQ(j["version"], "2.0");
    EXPECT_EQ(j["interpType"], "itLine");
    EXPECT_EQ(j["begRealValue"], -80);
    EXPECT_EQ(j["endRealValue"], 920);
    ASSERT_EQ(j["points"].size(), 2u);
    EXPECT_EQ(j["points"][0],
              json::parse(R"({"description": "Галлий, чистый", "unitValue": 1000, "realValue": 20.0})"));
    EXPECT_EQ(j["itemCount"], 0);
    EXPECT_TRUE(j["items"].empty());

    const std::string t = File("t.tbl") + " --range 0:10000 --json";
    EXPECT_EQ(Json("table convert " + t + " --units 1500")["value"], 70.0);
    EXPECT_EQ(Json("table convert " + t + " --units 500")["value"], -30.0);
    EXPECT_EQ(Json("table convert " + t + " --units 2500")["value"], 170.0);
    EXPECT_EQ(Json("table convert " + t + " --real 70")["value"], 1500);
    EXPECT_EQ(Json("table convert " + t + " --real 170")["value"], 2500);

    const RCliResult factor = Run("table convert " + t + " --temp 100");
    EXPECT_EQ(factor.exitCode, 1);
    EXPECT_NE(factor.err.find("Not applicable for Temparature calibration"), std::string::npos);
}

TEST_F(CliTable, DiffTableWithLagrange) {
    Json(
        "table build --kind dt --range 0:600 --method lagrange --point "
        "unitValue=100,diffTemperature=2,peakHeight=400 "
        "--point unitValue=300,diffTemperature=2,peakHeight=200 --point "
        "unitValue=500,diffTemperature=2,peakHeight=100 "
        "--json --out " +
        File("d.tbl"));
    const json j = Json("table show " + File("d.tbl") + " --json");
    EXPECT_EQ(j["kind"], "cttDiffTemperature");
    EXPECT_EQ(j["interpType"], "itPolynomial");
    EXPECT_EQ(j["itemCount"], 600);
    EXPECT_EQ(j["points"][1], json::parse(R"({"description": "", "unitValue": 300, "realValue": 0.01,
                                             "peakHeight": 200, "diffTemperature": 2.0})"));
    EXPECT_NEAR(j["items"][400].get<double>(), 0.014375, 1e-8);

    const std::string d = File("d.tbl") + " --range 0:600 --json";
    EXPECT_NEAR(Json("table convert " + d + " --units 1000 --temp 300")["value"].get<double>(), 10.0, 1e-5);
    EXPECT_EQ(Json("table convert " + d + " --real 5 --temp 300")["value"], 500);
    EXPECT_NEAR(Json("table convert " + d + " --temp 500")["value"].get<double>(), 0.02, 1e-9);
    const RCliResult noTemp = Run("table convert " + d + " --units 1000");
    EXPECT_EQ(noTemp.exitCode, 1);
}

TEST_F(CliTable, HeatTableWithMarginsAndTunePoint) {
    const std::string points =
        " --point 'unitValue=156.6,weight=10,specificHeat=28.45,area=2000000,description=Индий'"
        " --point 'unitValue=231.9,weight=8,specificHeat=60.5,area=3000000,description=Олово'";
    Json(
        "table build --kind heat --range 20:620 --tune mass=5,dH=28.45,area=1000000,transTemp=157 --json "
        "--out " +
        File("h.tbl") + points);
    const json j = Json("table show " + File("h.tbl") + " --json");
    EXPECT_EQ(j["kind"], "cttHeat");
    ASSERT_EQ(j["points"].size(), 4u);
    EXPECT_EQ(j["points"][0]["description"], "Нач. расч. точка");
    EXPECT_EQ(j["points"][0]["unitValue"], 20);
    EXPECT_EQ(j["points"][0]["area"], 0);
    EXPECT_EQ(j["points"][1]["unitValue"], 157);
    EXPECT_EQ(j["points"][1]["weight"], 10.0);
    EXPECT_EQ(j["points"][3]["description"], "Кон. расч. точка");
    EXPECT_EQ(j["useHeatTunePoint"], true);
    EXPECT_EQ(j["tunePoint"]["area"], 1000000);
    EXPECT_EQ(j["itemCount"], 600);
    // Tuned: the factor at the tune temperature is the tune point's own, 5 mg · 28.45 J/g / 1e6.
    EXPECT_NEAR(
        Json("table convert " + File("h.tbl") + " --range 20:620 --temp 157 --json")["value"].get<double>(),
        1.4225e-7, 1e-13);
}

TEST_F(CliTable, ReferenceSubstancesFillHeatPoints) {
    const json refs = Json("table references --json")["substances"];
    ASSERT_EQ(refs.size(), 4u);
    EXPECT_EQ(refs[1]["id"], "tin");
    EXPECT_EQ(refs[1]["meltingHeat"], 60.5);
    // The substance gives temperature, heat and name; a field given as well wins.
    const json j = Json("table build --kind heat --range 20:620 --json --out " + File("h.tbl") +
                        " --point substance=indium,weight=5,area=17500"
                        " --point substance=Цинк,weight=4,area=53000,description=Zn");
    ASSERT_EQ(j["points"].size(), 4u);
    EXPECT_EQ(j["points"][1]["unitValue"], 157);
    EXPECT_EQ(j["points"][1]["specificHeat"], 28.6);
    EXPECT_EQ(j["points"][1]["description"], "Индий");
    EXPECT_EQ(j["points"][2]["unitValue"], 420);
    EXPECT_EQ(j["points"][2]["description"], "Zn");
    EXPECT_EQ(Run("table build --kind heat --out " + File("g.tbl") +
                  " --point substance=gold,weight=1,area=1 --point substance=tin,weight=1,area=1")
                  .exitCode,
              2);
}

TEST_F(CliTable, ErrorsOfThePartsExitWithOne) {
    RCliResult r = Run("table build --kind temp --point unitValue=1,realValue=2 --out " + File("x.tbl"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Для расчёта необходимо не менее двух калибровочных точек."), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "x.tbl"));

    r = Run("table build --kind dt --point unitValue=1,diffTemperature=2,peakHeight=0 --out " +
            File("x.tbl"));
    EXPECT_EQ(r.exitCode, 1);

    WriteFileBytes(dir.Path() / "cut.tbl", std::string(700, 'A'));
    r = Run("table show " + File("cut.tbl"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Невозможно загрузить калибровочную таблицу"), std::string::npos);
    r = Run("table show " + File("none.tbl"));
    EXPECT_EQ(r.exitCode, 1);
}

TEST_F(CliTable, UsageErrorsExitWithTwo) {
    const std::string out = " --out " + File("x.tbl");
    EXPECT_EQ(Run("table build --kind temp --method spline" + out).exitCode, 2);
    EXPECT_EQ(Run("table build --kind wood" + out).exitCode, 2);
    EXPECT_EQ(Run("table build --kind temp --range 5" + out).exitCode, 2);
    EXPECT_EQ(Run("table build --kind temp --point unitValue=1,colour=2" + out).exitCode, 2);
    EXPECT_EQ(Run("table build --kind temp --point unitValue=x,realValue=2" + out).exitCode, 2);
    EXPECT_EQ(Run("table build --kind dt --method bezier --point unitValue=1" + out).exitCode, 2);
    EXPECT_EQ(Run("table build --kind temp").exitCode, 2);
    EXPECT_EQ(Run("table convert " + File("x.tbl")).exitCode, 2);
    EXPECT_EQ(Run("table").exitCode, 2);
}

TEST_F(CliTable, BrokenConfiguredTableIsReportedButCommandsRun) {
    ASSERT_EQ(Run("config --json").exitCode, 0);  // creates the data folder
    WriteFileBytes(dir.Path() / "data" / "Devices.ini", "[DEFAULT_DEVICE]\nCalibrationTable=gone.tbl\n");
    const RCliResult r = Run("config --json");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.err.find("Невозможно загрузить калибровочную таблицу \"gone.tbl\""), std::string::npos);

    WriteFileBytes(dir.Path() / "data" / "Devices.ini", "[DEFAULT_DEVICE]\ndiffTempCalibrationTableType=5\n");
    const RCliResult bad = Run("config --json");
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("Incorrect type for DiffTempCalibrationTable"), std::string::npos);
}
