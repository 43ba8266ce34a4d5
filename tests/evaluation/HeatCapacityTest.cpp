// Specific heat capacity by the sapphire ratio and the direct method, on runs of a cell model whose
// sample has a known cp(T); the shipped sapphire table against published values.

#include <gtest/gtest.h>

#include <cmath>

#include "common/Config.h"
#include "common/FileUtil.h"
#include "evaluation/HeatCapacity.h"
#include "evaluation/ReferenceCp.h"
#include "support/ProgramRuns.h"
#include "support/TempDir.h"

using namespace kalvero;
using namespace kalvero::evaluation;
using kalvero::test::TCpProcedure;

namespace {

TCpRun RunOf(const TPhysicalRun& r, const char* aName) {
    TCpRun run;
    run.curve = {r.time, r.temperature, r.signal};
    run.mass = r.mass > 0 ? r.mass : NAN;
    run.perMass = IsPerMass(r.quantity);
    run.endoUp = r.endoUp.value_or(true);
    run.name = aName;
    return run;
}

const TReferenceCp& Sapphire() {
    static const TReferenceCp table = LoadReferenceCp(test::TTempDir().Str());
    return table;
}

// The largest relative deviation of the result from the sample's cp over the whole range.
double WorstError(const RHeatCapacity& r) {
    double worst = 0;
    for (size_t i = 0; i < r.cp.size(); ++i)
        worst = std::max(worst, std::fabs(r.cp[i] / test::ModelSampleCp(r.temperature[i]) - 1));
    return worst;
}

struct TRuns {
    TPhysicalRun sample, sapphire, blank;
    explicit TRuns(const TCpProcedure& p)
        : sample(p.sample.Run()), sapphire(p.sapphire.Run()), blank(p.blank.Run()) {}
};

}  // namespace

TEST(HeatCapacity, RatioWithBlankRecoversTheSampleAtEqualRates) {
    const TRuns runs{TCpProcedure()};
    TCpOptions o;
    o.at = {60, 100, 150, 200};
    const TCpRun blank = RunOf(runs.blank, "холостой опыт");
    const RHeatCapacity r = RatioHeatCapacity(RunOf(runs.sample, "образец"), RunOf(runs.sapphire, "эталон"),
                                              &blank, Sapphire(), o);
    EXPECT_LT(WorstError(r), 0.005);
    EXPECT_TRUE(r.isothermalCorrection);
    EXPECT_TRUE(r.warnings.empty()) << r.warnings.front();
    EXPECT_NEAR(r.sampleRate, 10, 0.01);
    // The default range: the common heating (30 … 230 °C) less a tenth at each end.
    EXPECT_NEAR(r.from, 50, 0.5);
    EXPECT_NEAR(r.to, 210, 0.5);
    ASSERT_EQ(r.table.size(), 4u);
    for (const RCpPoint& p : r.table) {
        EXPECT_NEAR(p.cp, test::ModelSampleCp(p.temperature), 0.005 * p.cp) << p.temperature;
        // 0.5 s at 10 K/min: about 24 items within ±1 K, of a curve without noise: the slope of cp
        // over the window (3.4e-3 J/(g·K) per K) is no scatter.
        EXPECT_GE(p.count, 20u);
        EXPECT_LT(p.scatter, 1e-5);
    }
}

TEST(HeatCapacity, DifferentRatesAreDividedOutWithAWarning) {
    // The sapphire and the blank at 20 K/min, the sample at 10: read at temperatures, not items.
    const TRuns runs{TCpProcedure(10, 20, 20)};
    const TCpRun blank = RunOf(runs.blank, "холостой опыт");
    const RHeatCapacity r =
        RatioHeatCapacity(RunOf(runs.sample, "образец"), RunOf(runs.sapphire, "эталон"), &blank, Sapphire());
    EXPECT_LT(WorstError(r), 0.005);
    EXPECT_NEAR(r.referenceRate, 20, 0.02);
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_NE(r.warnings[0].find("Скорости нагрева"), std::string::npos);
    // Given rates replace the ones found: a wrong one shows in the result.
    TCpRun wrong = RunOf(runs.sapphire, "эталон");
    wrong.rate = 10;
    const RHeatCapacity off = RatioHeatCapacity(RunOf(runs.sample, "образец"), wrong, &blank, Sapphire());
    EXPECT_GT(WorstError(off), 0.3);
}

TEST(HeatCapacity, TwoBlankCorrectedRunsNeedOnlyTheirIsotherms) {
    // Runs already corrected for the empty holders: no asymmetry left, but offsets and drifts.
    TCpProcedure p;
    p.sample.cell = p.sapphire.cell = 0;
    const TRuns runs{p};
    const RHeatCapacity r =
        RatioHeatCapacity(RunOf(runs.sample, "образец"), RunOf(runs.sapphire, "эталон"), nullptr, Sapphire());
    EXPECT_LT(WorstError(r), 0.005);
    EXPECT_TRUE(r.isothermalCorrection);
    // Without the isotherms the offsets stay in and the result is off by far more.
    p.sample.segments = {{10, 1200}};
    p.sapphire.segments = {{10, 1200}};
    const TRuns bare{p};
    const RHeatCapacity raw =
        RatioHeatCapacity(RunOf(bare.sample, "образец"), RunOf(bare.sapphire, "эталон"), nullptr, Sapphire());
    EXPECT_GT(WorstError(raw), 0.05);
    EXPECT_FALSE(raw.isothermalCorrection);
    EXPECT_EQ(raw.warnings.size(), 2u);  // one per run without isotherms
}

TEST(HeatCapacity, ReferenceAndBlankAreInterpolatedOnTemperature) {
    // The sapphire sampled at 0.7 s after a longer first isotherm, the blank at 0.3 s: no item of
    // theirs matches one of the sample's.
    TCpProcedure p;
    p.sapphire.step = 0.7;
    p.sapphire.segments.front().second = 470;
    p.blank.step = 0.3;
    p.blank.segments.back().second = 500;
    const TRuns runs{p};
    const TCpRun blank = RunOf(runs.blank, "холостой опыт");
    const RHeatCapacity r =
        RatioHeatCapacity(RunOf(runs.sample, "образец"), RunOf(runs.sapphire, "эталон"), &blank, Sapphire());
    EXPECT_LT(WorstError(r), 0.005);
}

TEST(HeatCapacity, SignalsPerMassAndEitherDirection) {
    TCpProcedure p;
    p.sample.perMass = true;
    p.sapphire.endoUp = p.blank.endoUp = p.sample.endoUp = false;
    const TRuns runs{p};
    const TCpRun blank = RunOf(runs.blank, "холостой опыт");
    const RHeatCapacity r =
        RatioHeatCapacity(RunOf(runs.sample, "образец"), RunOf(runs.sapphire, "эталон"), &blank, Sapphire());
    EXPECT_LT(WorstError(r), 0.005);
    // Per mass, the blank needs the sample's mass to come off; without a blank the masses cancel.
    TCpRun massless = RunOf(runs.sample, "образец");
    massless.mass = NAN;
    EXPECT_THROW(RatioHeatCapacity(massless, RunOf(runs.sapphire, "эталон"), &blank, Sapphire()),
                 EEvaluationError);
    TCpProcedure q;
    q.sample.perMass = q.sapphire.perMass = true;
    q.sample.cell = q.sapphire.cell = 0;
    const TRuns perMass{q};
    TCpRun s = RunOf(perMass.sample, "образец"), ref = RunOf(perMass.sapphire, "эталон");
    s.mass = ref.mass = NAN;
    EXPECT_LT(WorstError(RatioHeatCapacity(s, ref, nullptr, Sapphire())), 0.005);
    // An absolute signal cannot do without its mass.
    TCpRun absolute = RunOf(runs.sapphire, "эталон");
    absolute.mass = NAN;
    EXPECT_THROW(RatioHeatCapacity(RunOf(runs.sample, "образец"), absolute, &blank, Sapphire()),
                 EEvaluationError);
}

TEST(HeatCapacity, DirectFromHeatFlowLessTheBlank) {
    const TRuns runs{TCpProcedure()};
    const TCpRun blank = RunOf(runs.blank, "холостой опыт");
    TCpOptions o;
    o.at = {120};
    const RHeatCapacity r = DirectHeatCapacity(RunOf(runs.sample, "образец"), &blank, o);
    EXPECT_LT(WorstError(r), 0.005);
    ASSERT_EQ(r.table.size(), 1u);
    EXPECT_NEAR(r.table[0].cp, test::ModelSampleCp(120), 0.005 * r.table[0].cp);
    // Without the blank the holders' asymmetry (−0.4 mJ/K on 13 mJ/K) stays in, with a warning.
    const RHeatCapacity alone = DirectHeatCapacity(RunOf(runs.sample, "образец"), nullptr);
    EXPECT_GT(WorstError(alone), 0.02);
    EXPECT_FALSE(alone.warnings.empty());
}

TEST(HeatCapacity, ScatterOverTheHalfWidthFollowsTheNoise) {
    // 2 µW of noise on a 10 K/min run of 10 mg: σ(cp) = σ(q) · 60 / (m · β) = 1.2e-3 J/(g·K).
    TCpProcedure p;
    p.sample.noise = 2e-3;
    const TRuns runs{p};
    const TCpRun blank = RunOf(runs.blank, "холостой опыт");
    TCpOptions o;
    o.at = {80, 140, 190};
    const RHeatCapacity r = RatioHeatCapacity(RunOf(runs.sample, "образец"), RunOf(runs.sapphire, "эталон"),
                                              &blank, Sapphire(), o);
    for (const RCpPoint& q : r.table) {
        EXPECT_NEAR(q.scatter, 1.2e-3, 0.35e-3) << q.temperature;
        EXPECT_NEAR(q.cp, test::ModelSampleCp(q.temperature), 0.005 * q.cp) << q.temperature;
    }
    // A half width of 5 K takes five times as many items.
    const auto wide = HeatCapacityTable(r, o.at, 5);
    EXPECT_GE(wide[1].count, 4 * r.table[1].count);
}

TEST(HeatCapacity, RangesAndRefusals) {
    const TRuns runs{TCpProcedure()};
    const TCpRun sample = RunOf(runs.sample, "образец"), ref = RunOf(runs.sapphire, "эталон");
    TCpOptions o;
    o.from = 0, o.to = 150;
    o.at = {300};
    const RHeatCapacity r = RatioHeatCapacity(sample, ref, nullptr, Sapphire(), o);
    EXPECT_NEAR(r.from, 30, 0.2);  // clipped to the heating, with a warning
    EXPECT_NEAR(r.to, 150, 1e-9);
    EXPECT_LE(r.temperature.back(), 150);
    ASSERT_EQ(r.warnings.size(), 2u);  // the range, and 300 °C outside the result
    EXPECT_EQ(r.table[0].count, 0u);
    EXPECT_TRUE(std::isnan(r.table[0].cp));

    // A sapphire table that stops at 400 K leaves the points above it out.
    TReferenceCp shortTable = Sapphire();
    while (shortTable.kelvin.back() > 400) {
        shortTable.kelvin.pop_back();
        shortTable.cp.pop_back();
    }
    const RHeatCapacity cut = RatioHeatCapacity(sample, ref, nullptr, shortTable);
    EXPECT_LE(cut.temperature.back(), 400 - 273.15 + 1e-9);

    // An isothermal run, a reference signal of the wrong sign, no table.
    test::TProgramRun iso;
    iso.segments = {{0, 600}};
    const TPhysicalRun flat = iso.Run();
    EXPECT_THROW(RatioHeatCapacity(RunOf(flat, "образец"), ref, nullptr, Sapphire()), EEvaluationError);
    TCpRun reversed = ref;
    reversed.endoUp = false;
    EXPECT_THROW(RatioHeatCapacity(sample, reversed, nullptr, Sapphire()), EEvaluationError);
    EXPECT_THROW(RatioHeatCapacity(sample, ref, nullptr, TReferenceCp{}), EEvaluationError);
}

TEST(ReferenceCp, ShippedSapphireAgreesWithPublishedValues) {
    const TReferenceCp& s = Sapphire();
    EXPECT_EQ(s.name, "Сапфир");
    EXPECT_NEAR(s.FirstCelsius(), 100 - 273.15, 1e-9);
    EXPECT_NEAR(s.LastCelsius(), 1200 - 273.15, 1e-9);
    // 0.7750 J/(g·K) at 298.15 K, and the NIST-JANAF values of α-Al2O3 (J/(mol·K) over its molar
    // mass, 101.961 g/mol) at 400, 600 and 800 K.
    const double molar = 101.961;
    const std::pair<double, double> published[] = {
        {298.15, 0.7750}, {400, 96.086 / molar}, {600, 112.545 / molar}, {800, 120.135 / molar}};
    for (const auto& [kelvin, cp] : published)
        EXPECT_NEAR(s.AtCelsius(kelvin - 273.15), cp, 1e-3 * cp) << kelvin;
    // Between its rows the table follows the standards' polynomial.
    for (double T = -170; T <= 925; T += 0.7)
        ASSERT_NEAR(s.AtCelsius(T), test::SapphireCp(T), 1e-4 * test::SapphireCp(T)) << T;
    EXPECT_TRUE(std::isnan(s.AtCelsius(-180)));
    EXPECT_TRUE(std::isnan(s.AtCelsius(930)));
}

TEST(ReferenceCp, OwnTablesAndTheProgramDataCopy) {
    const TReferenceCp c = ParseReferenceCp(
        "\xEF\xBB\xBF# a material of my own\nName=Медь\nTemperatureUnit=C\n0;0,380\n100\t0,395\n200, 0.405\n",
        "Cu.txt");
    EXPECT_EQ(c.name, "Медь");
    ASSERT_EQ(c.kelvin.size(), 3u);
    EXPECT_NEAR(c.kelvin[1], 373.15, 1e-12);
    EXPECT_NEAR(c.AtCelsius(50), 0.3875, 1e-12);
    EXPECT_NEAR(c.AtCelsius(150), 0.400, 1e-12);
    EXPECT_THROW(ParseReferenceCp("300 0.8\n200 0.7\n", "x"), EEvaluationError);    // not ascending
    EXPECT_THROW(ParseReferenceCp("300 0.8\n400 abc\n", "x"), EEvaluationError);    // not a number
    EXPECT_THROW(ParseReferenceCp("300 0.8 1\n400 0.9\n", "x"), EEvaluationError);  // three columns
    EXPECT_THROW(ParseReferenceCp("# nothing\n300 0.8\n", "x"), EEvaluationError);  // one row

    // A new program-data folder gets its own copy, which then counts.
    test::TTempDir dir;
    const std::string data = dir.Str() + "data";
    PrepareProgramDataFolder(data);
    const std::string copy = data + "/" + REFERENCE_CP_FOLDER + "/" + SAPPHIRE_CP + ".txt";
    EXPECT_EQ(LoadReferenceCp(data).kelvin.size(), Sapphire().kelvin.size());
    WriteFileAtomic(copy, "Name=Sapphire, own\n300 0.78\n400 0.94\n");
    EXPECT_EQ(LoadReferenceCp(data).name, "Sapphire, own");
    EXPECT_THROW(LoadReferenceCp(data, "Unobtainium"), EEvaluationError);
}
