#include <gtest/gtest.h>

#include <random>

#include "data/DataClass.h"
#include "graphics/CurvePath.h"
#include "support/TestConfig.h"

using namespace kalvero;
using kalvero::test::TTestConfig;

namespace {

// What the column reduction must give, computed sample by sample through the experiment's own
// scale: per run of samples on one column, its first, lowest, highest and last point.
TPoints Reference(const TDataClass& d, int aFirst, int aLast, bool aTemperatureX, bool aT, bool aDegrees) {
    TPoints points;
    auto add = [&](int x, int y) {
        if (points.empty() || points.back().x != x || points.back().y != y) points.push_back({x, y});
    };
    auto value = [&](int i) -> long double {
        const TItem& s = d.items[i][0];
        return aT ? (aDegrees ? s.tc : s.t) : (aDegrees ? s.dtc : s.dt);
    };
    auto px = [&](int i) {
        const TItem& s = d.items[i][0];
        return aTemperatureX ? d.GetScaledX(s.t) : d.GetScaledX(i);
    };
    auto py = [&](long double v) { return aDegrees ? d.GetScaledYr(v) : d.GetScaledY(v); };
    for (int i = aFirst; i <= aLast;) {
        int end = i + 1;
        while (end <= aLast && px(end) == px(i))
            ++end;
        long double low = value(i), high = low;
        for (int k = i; k < end; ++k)
            low = std::min(low, value(k)), high = std::max(high, value(k));
        for (long double v : {value(i), low, high, value(end - 1)})
            add(px(i), py(v));
        i = end;
    }
    return points;
}

class CurvePath : public ::testing::Test {
protected:
    void SetUp() override {
        config->endTime = 1;
        d = std::make_unique<TDataClass>();
        d->SetItemsLength(20000, true);
        std::mt19937 rng(7);
        std::uniform_int_distribution<int> noise(-300, 300);
        for (int i = 0; i < 20000; ++i) {
            TItem& s = d->items[i][0];
            s.dt = 1000 + noise(rng) + (i % 997 == 0 ? 4000 : 0);
            s.dtc = s.dt * 0.01f;
            s.t = 5000 + i / 3 + noise(rng) / 30;
            s.tc = s.t * 0.1f;
        }
        d->graphicWidth = 733, d->graphicHeight = 411;
    }
    TTestConfig config;
    std::unique_ptr<TDataClass> d;
};

}  // namespace

TEST_F(CurvePath, ColumnExtremesMatchTheSampleBySampleReduction) {
    const int ranges[][2] = {{0, 19999}, {1234, 5678}, {100, 900}, {7000, 7003}};
    for (auto [a, b] : ranges) {
        d->begXSel = a, d->endXSel = b;
        d->begYSel = -2000, d->endYSel = 6000;
        for (bool degrees : {false, true}) {
            d->mode = vm_view_dT_by_time;
            d->diffTempScale = degrees ? dtsDegrees : dtsUnits;
            d->AssignDrawMargins();
            EXPECT_EQ(CurvePoints(*d, 0, a, b, true), Reference(*d, a, b, false, false, degrees))
                << a << " " << degrees;
        }
        d->mode = vm_view_T_by_time;
        d->tempScale = tsUnits;
        d->begYSel = 4000, d->endYSel = 12000;
        d->AssignDrawMargins();
        EXPECT_EQ(CurvePoints(*d, 0, a, b, true), Reference(*d, a, b, false, true, false)) << a;
    }
    // Temperature on x: runs of equal columns in the order of the samples.
    d->mode = vm_view_dT_by_temp;
    d->tempScale = tsUnits, d->diffTempScale = dtsUnits;
    d->begXSel = 5000, d->endXSel = 11000;
    d->begYSel = -2000, d->endYSel = 6000;
    d->AssignDrawMargins();
    EXPECT_EQ(CurvePoints(*d, 0, 0, 19999, true), Reference(*d, 0, 19999, true, false, false));
}

TEST_F(CurvePath, WithoutOptimisationEverySampleIsAPoint) {
    d->begXSel = 0, d->endXSel = 99;
    d->begYSel = -2000, d->endYSel = 6000;
    d->graphicWidth = 990;  // ten pixels per sample: no two samples share a point
    d->AssignDrawMargins();
    const TPoints points = CurvePoints(*d, 0, 0, 99, false);
    ASSERT_EQ(points.size(), 100u);
    EXPECT_EQ(points[37].x, d->GetScaledX(37));
    EXPECT_EQ(points[37].y, d->GetScaledY(d->items[37][0].dt));
    EXPECT_TRUE(CurvePoints(*d, 0, 5, 4, true).empty());
}
