// The Kinetics plug-in's "Изоконверсионный анализ" from the command line, end to end: runs of a
// reaction integrated from its rate equation, recorded as heat-flow experiment files, each effect
// given by a range; the energies of every method, Kissinger's E and A, the committee's warnings
// and the prediction come back as the reaction was made.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>

#include "support/KineticExperiments.h"
#include "support/RunCli.h"
#include "support/TestConfig.h"

using namespace kalvero;
using namespace kalvero::test;
using nlohmann::json;

namespace {

const std::vector<double> kRates{5, 10, 20, 40};
// The whole reaction at every rate lies inside it, its ends on the base line.
const std::string kEffect = "@150C:400C";

class IsoconversionalCommand : public ::testing::Test {
protected:
    void SetUp() override {
        opt = "--data-dir " + ShellQuote(dir.Str() + "data") + " ";
        ASSERT_EQ(RunCli(opt + "config").exitCode, 0);
        const RCliResult r = RunCli(opt + "plugins install " + ShellQuote(KINETICS_PLUGIN) + " TKinetics");
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }

    // The runs saved as files, "FILE@RANGE" each when aRange is given.
    std::string Files(const std::vector<kinetics::RKineticRun>& aRuns, const std::string& aRange,
                      const RDscModel& aModel = {}) {
        std::string files;
        for (const auto& run : aRuns) {
            const std::string name =
                dir.Str() + "b" + std::to_string(static_cast<int>(run.heatingRate)) + ".dsc";
            SaveExperiment(run, name, aModel);
            files += " " + ShellQuote(name + aRange);
        }
        return files;
    }

    json Analyse(const std::string& aFiles, const std::string& aOptions = "") {
        const RCliResult r =
            RunCli(opt + "--json plugin Kinetics 'Изоконверсионный анализ'" + aFiles + aOptions);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r.exitCode == 0 ? json::parse(r.out) : json();
    }

    TTempDir dir;
    TTestConfig config;
    std::string opt;
};

// Every level from 0.1 to 0.9 of aMethod within aTolerance (relative) of 150 kJ/mol, inside its
// interval.
void ExpectEnergies(const json& aResult, const std::string& aMethod, double aTolerance) {
    int checked = 0;
    for (const json& level : aResult["isoconversional"]) {
        const double alpha = level["alpha"].get<double>();
        if (alpha < 0.1 - 1e-9 || alpha > 0.9 + 1e-9) continue;
        const double e = level[aMethod].get<double>();
        EXPECT_NEAR(e, 150, 150 * aTolerance) << aMethod << " at α = " << alpha;
        EXPECT_LE(level[aMethod + "Low"].get<double>(), e) << aMethod;
        EXPECT_GE(level[aMethod + "High"].get<double>(), e) << aMethod;
        ++checked;
    }
    EXPECT_EQ(checked, 17) << aMethod;
}

}  // namespace

TEST_F(IsoconversionalCommand, RecoversTheEnergyOfAFirstOrderReactionByEveryMethod) {
    const json r = Analyse(Files(FirstOrderRuns(), kEffect));
    ASSERT_TRUE(r.is_object());
    ASSERT_EQ(r["isoconversional"].size(), 19u);
    EXPECT_NEAR(r["isoconversional"][0]["alpha"].get<double>(), 0.05, 1e-12);
    ExpectEnergies(r, "friedman", 0.01);
    ExpectEnergies(r, "vyazovkin", 0.01);
    ExpectEnergies(r, "advancedVyazovkin", 0.01);
    ExpectEnergies(r, "starink", 0.01);
    ExpectEnergies(r, "kas", 0.015);
    ExpectEnergies(r, "ofw", 0.02);
    // The R² of the straight-line methods; none for Vyazovkin's, which fit no line.
    const json& middle = r["isoconversional"][9];
    EXPECT_GT(middle["friedmanR2"].get<double>(), 0.9999);
    EXPECT_TRUE(middle["vyazovkinR2"].is_null());
    // Kissinger's relation holds exactly at the top of a first-order peak: E and A of the reaction.
    EXPECT_NEAR(r["kissinger"]["E"].get<double>(), 150, 150 * 0.005) << r["kissinger"];
    EXPECT_NEAR(r["kissinger"]["lnA"].get<double>(), std::log(kTestPreExponential), 0.3) << r["kissinger"];
    EXPECT_GT(r["kissinger"]["r2"].get<double>(), 0.999);
    EXPECT_TRUE(r["warnings"].empty()) << r["warnings"];
    EXPECT_TRUE(r["prediction"].is_null());
    for (const auto& [key, m] : r["methods"].items()) {
        EXPECT_NEAR(m["meanEnergy"].get<double>(), 150, 150 * 0.02) << key;
        EXPECT_FALSE(m["multiStep"].get<bool>()) << key;
    }
    // Each experiment's effect is the range it was given, at its own heating rate.
    ASSERT_EQ(r["runs"].size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_DOUBLE_EQ(r["runs"][i]["heatingRate"].get<double>(), kRates[i]);
        EXPECT_NEAR(r["runs"][i]["from"].get<double>(), 150, 0.1);
        EXPECT_NEAR(r["runs"][i]["to"].get<double>(), 400, 0.1);
    }
}

// Isothermally a first-order reaction reaches α = 0.5 at t = ln 2 / k(T0), and in that time at T0
// only.
TEST_F(IsoconversionalCommand, PredictsTheIsothermalTimeAndTemperatureOfTheReaction) {
    const std::string files = Files(FirstOrderRuns(), kEffect);
    const double exact = HalfLife(150 + 273.15);
    json r = Analyse(files, " --predict-alpha 0.5 --predict-temperature 150C");
    ASSERT_TRUE(r["prediction"].is_object()) << r;
    const json& time = r["prediction"]["time"];
    EXPECT_EQ(r["prediction"]["run"], "b20.dsc");  // the rate nearest the middle of 5 … 40
    EXPECT_DOUBLE_EQ(r["prediction"]["temperature"].get<double>(), 150);
    for (const char* method : {"friedman", "vyazovkin", "advancedVyazovkin", "kas", "ofw", "starink"}) {
        const std::string m = method;
        EXPECT_NEAR(time[m].get<double>() / exact, 1, 0.02) << m;
        EXPECT_LE(time[m + "Low"].get<double>(), time[m].get<double>()) << m;
        EXPECT_GE(time[m + "High"].get<double>(), time[m].get<double>()) << m;
    }
    EXPECT_NEAR(time["advancedVyazovkin"].get<double>() / exact, 1, 0.005);

    // The exact time, written in hours: the hold's temperature comes back.
    const std::string hours = std::to_string(exact / 3600) + "h";
    r = Analyse(files, " --predict-alpha 0.5 --predict-time " + hours);
    EXPECT_NEAR(r["prediction"]["time"].get<double>(), exact, 1e-3 * exact);
    EXPECT_NEAR(r["prediction"]["temperature"]["advancedVyazovkin"].get<double>(), 150, 0.2);
    EXPECT_NEAR(r["prediction"]["temperature"]["vyazovkin"].get<double>(), 150, 0.5);
}

// Two independent steps, 80 and 120 kJ/mol: E climbs with α, and only two heating rates were run.
TEST_F(IsoconversionalCommand, WarnsOfAMultiStepProcessAndOfTooFewHeatingRates) {
    const std::vector<RReactionStep> steps{{0.5, 80e3, 1e10 / 60, FirstOrder},
                                           {0.5, 120e3, 1e14 / 60, FirstOrder}};
    const auto runs = SimulateRuns(steps, {5, 20}, 250, 800, 0.2);
    const json r = Analyse(Files(runs, "@30C:520C"));
    std::string warnings;
    for (const json& w : r["warnings"])
        warnings += w.get<std::string>() + "\n";
    EXPECT_NE(warnings.find("не менее трёх"), std::string::npos) << warnings;
    EXPECT_NE(warnings.find("более чем на 20 %"), std::string::npos) << warnings;
    EXPECT_NE(warnings.find("многостадийный"), std::string::npos) << warnings;
    EXPECT_TRUE(r["methods"]["vyazovkin"]["multiStep"].get<bool>());
    const json& levels = r["isoconversional"];
    EXPECT_LT(levels.front()["vyazovkin"].get<double>(), 90);
    EXPECT_GT(levels.back()["vyazovkin"].get<double>(), 110);
}

// A file without its heating rate: the rate is measured over the heating that holds the effect,
// and the energies are those of the recorded rates.
TEST_F(IsoconversionalCommand, MeasuresAHeatingRateTheFileDoesNotRecord) {
    RDscModel model;
    model.rateRecorded = false;
    const json r = Analyse(Files(FirstOrderRuns(), kEffect, model));
    ASSERT_EQ(r["runs"].size(), 4u);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_NEAR(r["runs"][i]["heatingRate"].get<double>(), kRates[i], 1e-6 * kRates[i]);
    ExpectEnergies(r, "friedman", 0.01);
    ExpectEnergies(r, "vyazovkin", 0.01);
    EXPECT_NEAR(r["kissinger"]["E"].get<double>(), 150, 150 * 0.005);
}

// Without a range each experiment's largest effect is found by detection. Its margins cut the
// reaction's tails, and not alike at every rate, so α and E(α) are looser than over a marked
// range; Kissinger's E reads only the peaks' tops.
TEST_F(IsoconversionalCommand, TakesTheLargestEffectWithoutARange) {
    const json r = Analyse(Files(FirstOrderRuns(), ""));
    ASSERT_EQ(r["runs"].size(), 4u);
    for (const json& run : r["runs"]) {
        EXPECT_LT(run["from"].get<double>(), run["peakTemperature"].get<double>() - 30) << run;
        EXPECT_GT(run["to"].get<double>(), run["peakTemperature"].get<double>() + 20) << run;
    }
    const json& middle = r["isoconversional"][9];  // α = 0.5
    for (const char* method : {"friedman", "vyazovkin", "kas"})
        EXPECT_NEAR(middle[method].get<double>(), 150, 150 * 0.05) << method;
    EXPECT_NEAR(r["kissinger"]["E"].get<double>(), 150, 150 * 0.01);
}

TEST_F(IsoconversionalCommand, PrintsItsTablesForAPersonAndRefusesWhatItCannotDo) {
    const std::string files = Files(FirstOrderRuns(), kEffect);
    RCliResult r = RunCli(opt + "plugin Kinetics 'Изоконверсионный анализ'" + files);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Энергия активации\nα\tT при 5 К/мин, °С\tT при 10 К/мин, °С"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\n0,50\t"), std::string::npos);
    EXPECT_NE(r.out.find("Киссинджер (ASTM E698)\t150,"), std::string::npos) << r.out;

    r = RunCli(opt + "plugin Kinetics 'Изоконверсионный анализ'" + files +
               " --predict-temperature 150C --predict-time 1y");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("либо температуру, либо время"), std::string::npos) << r.err;
    r = RunCli(opt + "plugin Kinetics 'Изоконверсионный анализ'" + files + " --predict-temperature 150F");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Неверное значение «150F» поля «Температура, °С»"), std::string::npos) << r.err;
    // A temperature the runs never reach.
    const std::string hot = dir.Str() + "b5.dsc@150C:900C";
    r = RunCli(opt + "plugin Kinetics 'Изоконверсионный анализ' " + ShellQuote(hot) + files);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("не достигается"), std::string::npos) << r.err;
}
