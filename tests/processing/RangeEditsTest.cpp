// The range commands of the data window on an experiment: interpolation, smoothing, derivative
// channels and curve shifts.

#include <gtest/gtest.h>

#include <cmath>

#include "data/DataClass.h"
#include "processing/MathUtils.h"
#include "processing/RangeEdits.h"
#include "support/TestConfig.h"

using namespace kalvero;
using kalvero::test::TTestConfig;

namespace {

class RangeEdits : public ::testing::Test {
protected:
    // 2000 items: dT a noisy wave around 2000, T a ramp 100 + i.
    void SetUp() override {
        config->numberOfDataChannels = 1;
        config->frequency = 10;
        config->endTime = 1;
        d = std::make_unique<TDataClass>();
        d->SetItemsLength(2000, true);
        for (int i = 0; i < 2000; ++i) {
            d->items[i][0].dt = 2000 + static_cast<int>(100 * std::sin(i / 50.0)) + (i % 7) * 9 - 27;
            d->items[i][0].t = 100 + i;
        }
        d->fHasUnsavedChanges = false;
    }
    int Dt(int i) const { return d->items[i][0].dt; }

    TTestConfig config;
    std::unique_ptr<TDataClass> d;
};

TEST_F(RangeEdits, InterpolationDrawsAStraightLineBetweenTheEndsOfTheStretch) {
    const int a = Dt(100), b = Dt(200), before = Dt(99), after = Dt(201);
    LineInterpolation(*d, 200, 100, false, nullptr);  // either order
    EXPECT_EQ(Dt(100), a);
    EXPECT_EQ(Dt(200), b);
    EXPECT_EQ(Dt(150), static_cast<int>(std::lround(a + (b - a) * 0.5)));
    EXPECT_EQ(Dt(99), before);
    EXPECT_EQ(Dt(201), after);
    EXPECT_TRUE(d->fHasUnsavedChanges);

    // T readings in the temperature view: the ramp bent at 300 is straightened again.
    d->items[300][0].t = 5000;
    LineInterpolation(*d, 250, 350, true, nullptr);
    EXPECT_EQ(d->items[300][0].t, 400);
}

TEST_F(RangeEdits, SmoothingCalmsTheStretchAndLeavesTheRestAlone) {
    auto roughness = [&](int aFrom, int aTo) {
        double sum = 0;
        for (int i = aFrom + 1; i < aTo; ++i)
            sum += std::abs(Dt(i) - Dt(i - 1));
        return sum;
    };
    for (TSmoothKind kind : {TSmoothKind::skAverage, TSmoothKind::skMedian, TSmoothKind::skBezier}) {
        SetUp();
        const double rough = roughness(500, 1500);
        const int outside = Dt(100);
        SmoothRange(*d, kind, 500, 1500, false, nullptr);
        EXPECT_LT(roughness(600, 1400), rough * 0.8 * 800 / 1000) << static_cast<int>(kind);
        EXPECT_EQ(Dt(100), outside);
        EXPECT_TRUE(d->fHasUnsavedChanges);
    }
}

TEST_F(RangeEdits, DerivativesBecomeNewPermanentChannels) {
    for (int i = 0; i < 2000; ++i)
        d->items[i][0].dt = 3 * i;  // a straight line: constant first, zero second derivative
    const int first = AddFirstDerivativeChannel(*d, 500, 1500);
    ASSERT_EQ(first, 1);
    EXPECT_EQ(d->GetChannelCount(), 2);
    EXPECT_EQ(d->descriptors[1].name, "Первая производная");
    EXPECT_EQ(d->descriptors[1].channelType, CHANNEL_TYPE_PERMANENT);
    const int slope = static_cast<int>(std::lround(Derivat(d->items, 0, 1000, d->frequency, false)));
    EXPECT_NE(slope, 0);
    EXPECT_EQ(d->items[1000][1].dt, slope);
    EXPECT_EQ(d->items[700][1].dt, slope);
    EXPECT_EQ(d->items[100][1].dt, 0);  // nothing outside the stretch
    EXPECT_EQ(d->items[1900][1].dt, 0);

    const int second = AddSecondDerivativeChannel(*d, 500, 1500);
    ASSERT_EQ(second, 2);
    EXPECT_EQ(d->descriptors[2].name, "Вторая производная");
    EXPECT_LE(std::abs(d->items[1000][2].dt), 1);
    EXPECT_EQ(d->items[100][2].dt, 0);
}

TEST_F(RangeEdits, ShiftsMoveOneChannelInsideTheStretchOnly) {
    const int a = Dt(10), b = Dt(20), outside = Dt(21);
    ShiftCurveVertically(*d, 0, 10, 20, 50, false);
    EXPECT_EQ(Dt(10), a + 50);
    EXPECT_EQ(Dt(20), b + 50);
    EXPECT_EQ(Dt(21), outside);
    ShiftCurveVertically(*d, 0, 0, 1999, -7, true);
    EXPECT_EQ(d->items[5][0].t, 98);

    std::vector<int> before(2000);
    for (int i = 0; i < 2000; ++i)
        before[i] = Dt(i);
    ShiftCurveHorizontally(*d, 0, 100, 200, 10);
    EXPECT_EQ(Dt(150), before[140]);
    EXPECT_EQ(Dt(200), before[190]);
    EXPECT_EQ(Dt(105), before[100]);  // the stretch left behind keeps the nearest end's value
    EXPECT_EQ(Dt(99), before[99]);
    EXPECT_EQ(Dt(201), before[201]);
    ShiftCurveHorizontally(*d, 0, 100, 200, -10);
    EXPECT_EQ(Dt(120), before[120]);
    EXPECT_EQ(Dt(195), before[190]);
}

}  // namespace
