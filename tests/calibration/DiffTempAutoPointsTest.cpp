#include <gtest/gtest.h>

#include <cmath>

#include "calibration/DiffTempAutoPoints.h"
#include "calibration/DiffTempCalibration.h"
#include "data/DataClass.h"
#include "processing/Bubble.h"
#include "support/TestConfig.h"

using namespace kalvero;
using kalvero::test::TTestConfig;

namespace {

// 6000 items; with a peak, a Gaussian of 2500 counts on dT at item 3000 while the sample
// temperature lags its straight rise by up to 6 counts (degrees through the identity table).
void Fill(TDataClass& d, bool aPeak) {
    d.SetItemsLength(6000, true);
    for (int i = 0; i < 6000; ++i) {
        const double g = aPeak ? std::exp(-0.5 * std::pow((i - 3000) / 100.0, 2)) : 0;
        TItem& s = d.items[i][0];
        s.t = 100 + i / 10 - static_cast<int32_t>(std::lround(6 * g));
        s.dt = 1000 + static_cast<int32_t>(std::lround(2500 * g)) + (i * 7919 % 5) - 2;
    }
    d.FillTempValues();
    for (int i = 0; i < 6000; ++i)
        d.items[i][0].tc += 0.25f;  // a fractional temperature scale
}

}  // namespace

TEST(DiffTempAutoPoints, OnePointPerPeakWithoutTouchingTheExperiment) {
    TTestConfig config;
    config->endTime = 600;
    TDataClass d;
    Fill(d, true);
    d.bubbles.AddItem(new TBubble(10, 0));
    const int channels = d.GetChannelCount();

    const auto points = DiffTempPointsFromCurve(d, *config);
    ASSERT_EQ(points.size(), 1u);
    const RDiffTempAutoPoint& p = points[0];
    EXPECT_NEAR(p.temp, 100 + 300 - 6 + 0.25, 1.5);
    EXPECT_NE(p.temp, std::round(p.temp));  // the fraction is kept
    EXPECT_NEAR(p.dT, 6, 0.6);
    EXPECT_NEAR(p.height, 2500, 30);
    EXPECT_NEAR(p.factor, p.dT / p.height, 1e-12);

    // Asking twice neither adds channels nor touches the operator's objects.
    EXPECT_EQ(DiffTempPointsFromCurve(d, *config).size(), 1u);
    EXPECT_EQ(d.GetChannelCount(), channels);
    EXPECT_EQ(d.bubbles.GetItemCount(), 1);
    EXPECT_EQ(d.peaks.GetItemCount(), 0);

    TDiffTempCalibrationTable table(0, 1000);
    const RDiffTempAutoPoint second{700.5, 3, 1500, 0.002}, flat{500.6, 1, 0, 0};
    EXPECT_EQ(FillDiffTempTable(table, {p, second, flat}), 2);  // no height: no factor, left out
    ASSERT_EQ(table.GetRefPointsCount(), 2);
    EXPECT_EQ(table.GetRefPoints().items[0].value.unitValue, std::lround(p.temp));
    EXPECT_EQ(table.GetRefPoints().items[1].value.unitValue, 701);  // rounded, not cut off
}

TEST(DiffTempAutoPoints, FlatCurveHasNoPoints) {
    TTestConfig config;
    config->endTime = 600;
    TDataClass d;
    Fill(d, false);
    try {
        DiffTempPointsFromCurve(d, *config);
        FAIL() << "no exception";
    } catch (const ENoPeaksForCalibration& e) {
        EXPECT_STREQ(e.what(), "На данной кривой не обнаружено пиков. Автоматическая калибровка невозможна.");
    }
}
