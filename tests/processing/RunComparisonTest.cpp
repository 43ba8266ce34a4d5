// Several runs brought onto one plot: a comparison experiment of one channel per run.

#include <gtest/gtest.h>

#include <cmath>

#include "data/DataClass.h"
#include "data/PhysicalExperiment.h"
#include "processing/RunComparison.h"
#include "support/ProgramRuns.h"
#include "support/TestConfig.h"

using namespace kalvero;
using kalvero::test::TTestConfig;

namespace {

class RunComparisonTest : public ::testing::Test {
protected:
    TTestConfig config;
    static std::unique_ptr<TDataClass> Make(const test::TProgramRun& aModel) {
        return test::ExperimentOf(aModel.Run());
    }
    // The value of channel aChannel at the time aTime, from the comparison's readings.
    static double SignalAt(const TDataClass& d, int aChannel, double aTime) {
        const size_t i = static_cast<size_t>(std::lround(aTime * d.frequency));
        return d.items[i][aChannel].dt * d.fPhysical->signalStep;
    }
    static double TempAt(const TDataClass& d, int aChannel, double aTime) {
        const size_t i = static_cast<size_t>(std::lround(aTime * d.frequency));
        return d.items[i][aChannel].t * d.fPhysical->tStep;
    }
};

}  // namespace

TEST_F(RunComparisonTest, RunsOfDifferentStepsAndLengthsOnOneTimeScale) {
    test::TProgramRun a, b;
    a.segments = {{0, 60}, {10, 600}};  // 0.5 s, 660 s
    b.segments = {{0, 60}, {20, 300}};  // 0.2 s, 360 s, 12 mg
    b.step = 0.2;
    b.mass = 12;
    const auto da = Make(a), db = Make(b);
    TDataClass c;
    std::vector<std::string> warnings;
    BuildComparison({{da.get(), "10 К/мин"}, {db.get(), "20 К/мин"}}, {}, c, warnings);
    EXPECT_TRUE(warnings.empty());
    ASSERT_EQ(c.GetChannelCount(), 2);
    EXPECT_NEAR(c.frequency, 5, 1e-6);  // the finer step
    EXPECT_EQ(c.GetItemCount(), 3301);  // the longer run
    EXPECT_EQ(c.descriptors[0].name, "10 К/мин");
    EXPECT_EQ(c.descriptors[1].name, "20 К/мин");
    EXPECT_NE(c.descriptors[0].diffTempCurveColor, c.descriptors[1].diffTempCurveColor);
    EXPECT_TRUE(c.fShowLegend);
    // Each from its own start, on its own temperatures; the shorter one ends at its own end.
    for (double t : {30.0, 200.0, 330.0}) {
        EXPECT_NEAR(TempAt(c, 1, t), 30 + 20.0 / 60 * std::max(0.0, t - 60), 1e-3) << t;
        EXPECT_NEAR(SignalAt(c, 0, t), da->items[static_cast<size_t>(2 * t)][0].dtc, 1e-4) << t;
    }
    EXPECT_NEAR(SignalAt(c, 1, 600), SignalAt(c, 1, 360), 1e-9);  // held beyond its end
    EXPECT_EQ(c.descriptors[0].fScanEndPoint, 3300);
    EXPECT_EQ(c.descriptors[1].fScanEndPoint, 1800);
    EXPECT_EQ(c.fSampleWeight, 0);  // 10 and 12 mg: no one mass
    EXPECT_NE(c.fDescription.find("12.00 мг"), std::string::npos);
}

TEST_F(RunComparisonTest, PerMassOffsetAndDirection) {
    test::TProgramRun a, b;
    b.mass = 5;
    b.endoUp = false;  // stored the other way up
    const auto da = Make(a), db = Make(b);
    TDataClass c;
    std::vector<std::string> warnings;
    TComparisonOptions o;
    o.perMass = true;
    o.offset = 0.5;
    BuildComparison({{da.get(), "a"}, {db.get(), "b"}}, o, c, warnings);
    ASSERT_EQ(warnings.size(), 1u);  // b turned over
    EXPECT_EQ(c.fPhysical->unit, "mW/mg");
    EXPECT_EQ(c.fPhysical->quantity, sqHeatFlowPerMass);
    EXPECT_EQ(c.descriptors[1].name, "b (+0.5)");
    // Per mass the two runs of one material coincide, but for the holders' asymmetry over the
    // mass and the offset: at 900 s (130 °C, heating).
    const double t = 900;
    const double cellA = a.cell / a.mass, cellB = b.cell / b.mass, rate = 10.0 / 60;
    EXPECT_NEAR(SignalAt(c, 1, t) - 0.5 - SignalAt(c, 0, t), (cellB - cellA) * rate, 1e-4);

    // Units that do not compare, a mass that is missing, a dT curve per mass.
    test::TProgramRun per = a;
    per.perMass = true;
    const auto dp = Make(per);
    EXPECT_THROW(BuildComparison({{da.get(), "a"}, {dp.get(), "p"}}, {}, c, warnings), EPhysicalRunException);
    EXPECT_NO_THROW(BuildComparison({{da.get(), "a"}, {dp.get(), "p"}}, o, c, warnings));
    da->fSampleWeight = 0;
    EXPECT_THROW(BuildComparison({{da.get(), "a"}, {db.get(), "b"}}, o, c, warnings), EPhysicalRunException);
    da->fPhysical->quantity = sqDiffTemp;
    da->fPhysical->unit = "K";
    da->fSampleWeight = 3;
    EXPECT_THROW(BuildComparison({{da.get(), "a"}}, o, c, warnings), EPhysicalRunException);
    EXPECT_THROW(BuildComparison({}, o, c, warnings), EPhysicalRunException);
}
