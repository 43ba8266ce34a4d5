// The standards' evaluations from the command line on model runs of known answer: the glass
// transition of a logistic step, the base lines of a Gaussian peak on a sigmoidal step, its
// conversion, a van't Hoff melting's purity and a polymer's crystallinity from peaks of known
// heat; each kept in the file and listed again by "results".

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <sstream>

#include "support/FakeUiHooks.h"
#include "support/RecordFiles.h"
#include "support/RunCli.h"
#include "support/TestConfig.h"

using namespace kalvero;
using namespace kalvero::test;
using nlohmann::json;

namespace {

// A Gaussian of kHeat mJ and width kSigma s at kCentre s, on a level stepping from 1 mW to 1.5 mW
// in proportion to the share of the peak passed: the sigmoidal base line's own shape, so the
// sigmoidal base line gives the heat exactly. 10 K/min from 30 °C, one item per 0.5 s, 5 mg.
constexpr double kHeat = 150, kSigma = 12, kCentre = 600, kStep = 0.5, kMass = 5;

double PeakOnStepAt(double t) {
    const double x = (t - kCentre) / kSigma;
    return 1 + kStep * NormalCdf(x) + kHeat * Gaussian(x) / (kSigma * std::sqrt(2 * M_PI));
}

TRecord PeakOnStep() {
    return Ramp(2801, 0.5, 30, 10, [](double t, double) { return PeakOnStepAt(t); });
}

// ∫ |curve − straight line through the curve at both ends| dt over aFrom … aTo s, by the midpoint
// rule on a grid far finer than the record's: the area the straight base line encloses, counted
// on both sides of it.
double AreaOverChord(double aFrom, double aTo) {
    const int n = 200000;
    const double h = (aTo - aFrom) / n, y0 = PeakOnStepAt(aFrom), y1 = PeakOnStepAt(aTo);
    double area = 0;
    for (int k = 0; k < n; ++k) {
        const double t = aFrom + (k + 0.5) * h;
        area += std::abs(PeakOnStepAt(t) - (y0 + (y1 - y0) * (t - aFrom) / (aTo - aFrom))) * h;
    }
    return area;
}

class CliEvaluations : public ::testing::Test {
protected:
    TTestConfig config;
    TFakeUiScope ui;
    TTempDir dir;
    std::string data = MakeCliDataDir(dir);

    std::string File(const std::string& aName) const { return dir.Str() + aName; }
    json Run(const std::string& aArgs) {
        const RCliResult r = RunCli("--data-dir " + data + " " + aArgs + " --json");
        EXPECT_EQ(r.exitCode, 0) << aArgs << "\n" << r.err;
        return r.exitCode == 0 ? json::parse(r.out) : json();
    }
    // The peak from 6 σ before the centre to 10 σ after it: a range the straight line cuts
    // unevenly, so that the kinds of base line give different areas.
    json Peak(const std::string& aFile, const std::string& aKind, const std::string& aMore = "") {
        const json j = Run("peaks " + ShellQuote(aFile) + " --manual 1056:1440 --baseline " + aKind + aMore);
        EXPECT_EQ(j["peaks"].size(), 1u);
        return j["peaks"].empty() ? json() : j["peaks"][0];
    }
};

}  // namespace

TEST_F(CliEvaluations, GlassTransitionOfALogisticStep) {
    // A heat flow whose step of 0.5 mW at 10 K/min on 10 mg is a ΔCp of 60·0.5/(10·10) J/(g·K).
    const TStepModel model;
    const std::string file = File("step.dsc");
    SaveRecord(model.Record(10), file, 10);
    const TStepModel::TExpected expected = model.Expected();

    const json g = Run("tg " + ShellQuote(file) + " --range 70C:130C");
    EXPECT_NEAR(g["midpoint"].get<double>(), model.c, 0.05);
    EXPECT_NEAR(g["inflection"].get<double>(), expected.inflection, 0.05);
    EXPECT_NEAR(g["onset"].get<double>(), expected.onset, 0.1);
    EXPECT_NEAR(g["endset"].get<double>(), expected.endset, 0.1);
    EXPECT_NEAR(g["step"].get<double>(), model.s, 0.01 * model.s);
    EXPECT_NEAR(g["deltaCp"].get<double>(), 0.3, 0.02 * 0.3);
    // The stretches are 15 % of the 6001 items unless asked otherwise.
    EXPECT_EQ(g["before"], json::array({0, 899}));
    EXPECT_EQ(Run("tg " + ShellQuote(file) + " --range 0:6000 --stretch 0.1")["after"],
              json::array({5401, 6000}));

    // Kept in the file it was saved to, and listed again with the same numbers.
    const std::string kept = File("kept.dsc");
    Run("tg " + ShellQuote(file) + " --range 70C:130C --out " + ShellQuote(kept));
    const json results = Run("results " + ShellQuote(kept));
    ASSERT_EQ(results["glassTransitions"].size(), 1u);
    EXPECT_EQ(results["glassTransitions"][0]["midpoint"], g["midpoint"]);
    EXPECT_EQ(results["glassTransitions"][0]["deltaCp"], g["deltaCp"]);
    const RCliResult plain = RunCli("--data-dir " + data + " results " + ShellQuote(kept));
    EXPECT_NE(plain.out.find("Стеклование 1: Tнач "), std::string::npos) << plain.out;

    // A signal in kelvin has no ΔCp; a range without a step in temperature has no construction.
    const std::string kelvin = File("kelvin.dsc");
    SaveRecord(model.Record(10), kelvin, 10, sqDiffTemp);
    EXPECT_TRUE(Run("tg " + ShellQuote(kelvin) + " --range 70C:130C")["deltaCp"].is_null());
    const RCliResult short_ = RunCli("--data-dir " + data + " tg " + ShellQuote(file) + " --range 0:10");
    EXPECT_EQ(short_.exitCode, 1);
    EXPECT_NE(short_.err.find("не менее 16 точек"), std::string::npos) << short_.err;
}

TEST_F(CliEvaluations, BaseLinesOfAPeakOnAStep) {
    const std::string file = File("peak.dsc");
    SaveRecord(PeakOnStep(), file, kMass);
    // The sigmoidal kinds give the Gaussian's heat; the straight line misses it by the area
    // between the line and the step; level with the left margin, the whole step is counted in.
    const json sigmoid = Peak(file, "sigmoid");
    EXPECT_EQ(sigmoid["baseLine"], "sigmoid");
    EXPECT_NEAR(sigmoid["areaDegrees"].get<double>(), kHeat, 0.01 * kHeat);
    EXPECT_NEAR(sigmoid["heat"].get<double>(), kHeat / 1000, 0.01 * kHeat / 1000);
    EXPECT_NEAR(sigmoid["specificHeat"].get<double>(), kHeat / kMass, 0.01 * kHeat / kMass);
    EXPECT_NEAR(Peak(file, "tangent-sigmoid")["areaDegrees"].get<double>(), kHeat, 0.01 * kHeat);
    const double chord = AreaOverChord(kCentre - 6 * kSigma, kCentre + 10 * kSigma);
    EXPECT_GT(std::abs(chord - kHeat), 0.05 * kHeat);
    EXPECT_NEAR(Peak(file, "line")["areaDegrees"].get<double>(), chord, 0.005 * chord);
    // ∫ step above the left level is 10·σ·0.5 mW = 60 mJ.
    EXPECT_NEAR(Peak(file, "left")["areaDegrees"].get<double>(), kHeat + 60, 0.01 * kHeat);
    // The characteristic temperatures of the Gaussian over its own base line: the inflectional
    // tangents meet it 2 σ from the centre, the width at half height is 2·√(2·ln 2)·σ (in kelvin
    // at 10 K/min), the top at the centre.
    const double rate = 10.0 / 60, centreT = 30 + rate * kCentre;
    EXPECT_NEAR(sigmoid["topTemp"].get<double>(), centreT, 0.05);
    EXPECT_NEAR(sigmoid["extrapolatedOnsetTemp"].get<double>(), centreT - 2 * kSigma * rate, 0.1);
    EXPECT_NEAR(sigmoid["endsetTemp"].get<double>(), centreT + 2 * kSigma * rate, 0.1);
    EXPECT_NEAR(sigmoid["halfWidth"].get<double>(), 2 * std::sqrt(2 * std::log(2.0)) * kSigma * rate, 0.05);
    EXPECT_LT(sigmoid["initialTemp"].get<double>(), sigmoid["extrapolatedOnsetTemp"].get<double>());
    EXPECT_GT(sigmoid["finalTemp"].get<double>(), sigmoid["endsetTemp"].get<double>());

    const RCliResult bad = RunCli("--data-dir " + data + " peaks " + ShellQuote(file) + " --baseline curve");
    EXPECT_EQ(bad.exitCode, 2);
}

TEST_F(CliEvaluations, ConversionOfAPeak) {
    const std::string file = File("peak.dsc");
    SaveRecord(PeakOnStep(), file, kMass);
    const json c = Peak(file, "sigmoid", " --conversion")["conversion"];
    const std::vector<double> alpha = c["alpha"], rate = c["rate"], time = c["time"],
                              temperature = c["temperature"];
    ASSERT_EQ(alpha.size(), 385u);
    ASSERT_EQ(time.size(), alpha.size());
    EXPECT_NEAR(alpha.front(), 0, 1e-9);
    EXPECT_NEAR(alpha.back(), 1, 1e-9);
    // Half converted at the centre (item 1200 of the record, 144 of the peak); the rate there is
    // the Gaussian's top over its area.
    EXPECT_DOUBLE_EQ(time[144], kCentre);
    EXPECT_NEAR(temperature[144], 30 + kCentre / 6, 1e-4);
    EXPECT_NEAR(alpha[144], 0.5, 0.005);
    EXPECT_NEAR(rate[144], 1 / (kSigma * std::sqrt(2 * M_PI)), 0.01 / (kSigma * std::sqrt(2 * M_PI)));

    // The same as a table: the peaks the file keeps, their base line with them.
    const std::string kept = File("kept.dsc"), table = File("alpha.txt");
    Run("peaks " + ShellQuote(file) + " --manual 1056:1440 --baseline sigmoid --out " + ShellQuote(kept));
    const json e = Run("export " + ShellQuote(kept) + " --conversion 1 --decimal-separator . --out " +
                       ShellQuote(table));
    EXPECT_EQ(e["rows"], 385);
    std::istringstream lines(ReadFileBytes(table));
    std::string header, row;
    std::getline(lines, header);
    EXPECT_EQ(std::count(header.begin(), header.end(), '\t'), 3);
    for (int k = 0; k <= 144; ++k)
        std::getline(lines, row);
    std::istringstream cells(row);
    double t = 0, T = 0, a = 0, r = 0;
    cells >> t >> T >> a >> r;
    EXPECT_DOUBLE_EQ(t, kCentre);
    EXPECT_NEAR(a, alpha[144], 1e-6);
    EXPECT_NEAR(r, rate[144], 1e-6);
    const RCliResult none = RunCli("--data-dir " + data + " export " + ShellQuote(kept) +
                                   " --conversion 2 --out " + ShellQuote(table));
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("Пика 2 нет"), std::string::npos) << none.err;
}

TEST_F(CliEvaluations, PurityOfAVantHoffMelting) {
    const TMeltingModel model;  // 0.5 mol % of impurity, T0 150 °C, 125 J/g, a lag of 50 mW/K
    const std::string file = File("melting.dsc"), kept = File("kept.dsc");
    SaveRecord(model.Record(), file, model.mass);
    const json p = Run("purity " + ShellQuote(file) +
                       " --manual 125C:154C --molar-mass 200 --lag-slope 50 --out " + ShellQuote(kept));
    EXPECT_NEAR(p["purity"].get<double>(), 99.5, 0.1);
    EXPECT_NEAR(p["impurity"].get<double>(), 0.5, 0.1);
    EXPECT_NEAR(p["T0"].get<double>(), model.T0, 0.05);
    EXPECT_NEAR(p["deltaH"].get<double>(), 125, 0.01 * 125);
    EXPECT_GT(p["correction"].get<double>(), 0);
    EXPECT_LT(p["correction"].get<double>(), 20);
    const json kept_ = Run("results " + ShellQuote(kept));
    ASSERT_EQ(kept_["purity"].size(), 1u);
    EXPECT_EQ(kept_["purity"][0]["purity"], p["purity"]);
    EXPECT_EQ(kept_["purity"][0]["peak"], 1);
    // Without a range the melting peak is the largest endothermic one detection finds.
    const json found = Run("purity " + ShellQuote(file) + " --molar-mass 200 --lag-slope 50");
    EXPECT_NEAR(found["purity"].get<double>(), 99.5, 0.1);
    EXPECT_GT(found["endX"].get<int>(), found["begX"].get<int>());
    // Without the lag correction the broadened melting reads as more impure.
    const json plain = Run("purity " + ShellQuote(file) + " --manual 125C:154C --molar-mass 200");
    EXPECT_LT(plain["purity"].get<double>(), p["purity"].get<double>());
    // A signal that is no heat flow has no purity.
    const std::string kelvin = File("kelvin.dsc");
    SaveRecord(model.Record(), kelvin, model.mass, sqDiffTemp);
    const RCliResult refused = RunCli("--data-dir " + data + " purity " + ShellQuote(kelvin) +
                                      " --manual 125C:154C --molar-mass 200");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("по кривой теплового потока"), std::string::npos) << refused.err;
}

TEST_F(CliEvaluations, CrystallinityFromHeatsOfKnownSize) {
    // Cold crystallisation of 20 J/g at 120 °C (released) and melting of 60 J/g at 250 °C on 5 mg.
    const auto gaussian = [](double t, double aCentre, double aHeat) {
        return aHeat * Gaussian((t - aCentre) / 15) / (15 * std::sqrt(2 * M_PI));
    };
    const TRecord r = Ramp(3201, 0.5, 30, 10, [&](double t, double) {
        return 0.2 - gaussian(t, 540, 20 * kMass) + gaussian(t, 1320, 60 * kMass);
    });
    const std::string file = File("polymer.dsc"), kept = File("kept.dsc");
    SaveRecord(r, file, kMass);
    const std::string peaks = ShellQuote(file) + " --melting 2460:2820 --cold-crystallisation 900:1260";
    const json c = Run("crystallinity " + peaks + " --reference-heat 140 --out " + ShellQuote(kept));
    EXPECT_NEAR(c["meltingHeat"].get<double>(), 60, 0.005 * 60);
    EXPECT_NEAR(c["coldCrystallisationHeat"].get<double>(), 20, 0.005 * 20);
    EXPECT_NEAR(c["crystallinity"].get<double>(), 100.0 * 40 / 140, 0.01 * 100 * 40 / 140);
    // PET's heat of fusion in the shipped list is 140 J/g.
    const json pet = Run("crystallinity " + peaks + " --polymer PET");
    EXPECT_EQ(pet["polymer"], "PET");
    EXPECT_DOUBLE_EQ(pet["crystallinity"].get<double>(), c["crystallinity"].get<double>());
    // Without the cold crystallisation all the melting counts; a filler halves the polymer.
    const json whole = Run("crystallinity " + ShellQuote(file) + " --melting 2460:2820 --reference-heat 140");
    EXPECT_NEAR(whole["crystallinity"].get<double>(), 100.0 * 60 / 140, 0.01 * 100 * 60 / 140);
    const json filled = Run("crystallinity " + peaks + " --reference-heat 140 --polymer-share 0.5");
    EXPECT_NEAR(filled["crystallinity"].get<double>(), 2 * c["crystallinity"].get<double>(), 1e-9);

    const json results = Run("results " + ShellQuote(kept));
    ASSERT_EQ(results["effects"].size(), 2u);
    ASSERT_EQ(results["crystallinity"].size(), 1u);
    EXPECT_EQ(results["crystallinity"][0]["crystallinity"], c["crystallinity"]);

    EXPECT_EQ(
        RunCli("--data-dir " + data + " crystallinity " + ShellQuote(file) + " --melting 2460:2820").exitCode,
        2);
    const RCliResult unknown = RunCli("--data-dir " + data + " crystallinity " + peaks + " --polymer XYZ");
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_NE(unknown.err.find("не найден"), std::string::npos) << unknown.err;
}
