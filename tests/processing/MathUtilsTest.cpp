#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "common/MathProcs.h"
#include "processing/MathUtils.h"
#include "support/TestConfig.h"

using namespace kalvero;
using namespace kalvero::test;

namespace {

// One channel of readings as an item array.
TItemArray Channel(const std::vector<int32_t>& aDt) {
    TItemArray a(1);
    a.ResizeItems(aDt.size());
    for (size_t i = 0; i < aDt.size(); ++i)
        a[i][0].dt = aDt[i], a[i][0].t = aDt[i];
    return a;
}

std::vector<int32_t> Dt(const TItemArray& a) {
    std::vector<int32_t> v(a.ItemCount());
    for (size_t i = 0; i < v.size(); ++i)
        v[i] = a[i][0].dt;
    return v;
}

std::vector<int32_t> Noise(size_t n, int aLevel, int aBase = 1000) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> noise(-aLevel, aLevel);
    std::vector<int32_t> v(n);
    for (auto& x : v)
        x = aBase + noise(random);
    return v;
}

// An experiment of aCount items whose channel 0 dt (and t) is f(i).
template <typename F>
void Fill(TDataClass& d, int aCount, F f) {
    d.SetItemsLength(aCount, true);
    for (int i = 0; i < aCount; ++i)
        d.items[i][0].dt = d.items[i][0].t = static_cast<int32_t>(f(i));
    d.FillTempValues();
}

}  // namespace

TEST(AverageSmooth, FollowsTheWindowsAndTheLines) {
    // Worked by hand: windows of 3 dots 1 apart every item, each joined to the value two items
    // back; the second dot of a window is already smoothed when it is read.
    TItemArray a = Channel({0, 0, 0, 9, 0, 0, 0});
    AverageSmooth(a, 0, 0, 7, 3, 1, 2, false);
    EXPECT_EQ(Dt(a), (std::vector<int32_t>{0, 0, 2, 2, 2, 2, 1}));
}

TEST(AverageSmooth, DegenerateParametersAndRangesChangeNothingOutside) {
    const std::vector<int32_t> noisy = Noise(400, 50);
    for (auto [count, step] : {std::pair{0, 2}, {32, 0}, {-3, 2}}) {
        TItemArray a = Channel(noisy);
        AverageSmooth(a, 0, 0, 400, count, step, 24, false);
        EXPECT_EQ(Dt(a), noisy) << count << " " << step;
    }
    TItemArray one = Channel({42});
    AverageSmooth(one, 0, 0, 1, 32, 2, 24, false);  // a window with no samples
    EXPECT_EQ(Dt(one), std::vector<int32_t>{42});

    // A range far shorter than the window: only the range is written, and a range running past
    // the record is clipped.
    TItemArray a = Channel(noisy);
    AverageSmooth(a, 0, 100, 150, 32, 2, 24, false);
    AverageSmooth(a, 0, 370, 5000, 32, 2, 24, false);
    const auto v = Dt(a);
    EXPECT_TRUE(std::equal(v.begin(), v.begin() + 100, noisy.begin()));
    EXPECT_TRUE(std::equal(v.begin() + 150, v.begin() + 370, noisy.begin() + 150));
    EXPECT_FALSE(std::equal(v.begin() + 100, v.begin() + 150, noisy.begin() + 100));
    EXPECT_FALSE(std::equal(v.begin() + 370, v.end(), noisy.begin() + 370));
}

TEST(AverageSmooth, LargeReadingsDoNotOverflowTheSum) {
    TItemArray a = Channel(std::vector<int32_t>(300, 2000000000));
    AverageSmooth(a, 0, 0, 300, 32, 2, 24, false);
    EXPECT_EQ(Dt(a), std::vector<int32_t>(300, 2000000000));
}

TEST(AverageSmooth, ReducesNoiseOnTheSelectedField) {
    TItemArray a = Channel(Noise(2000, 100));
    for (size_t i = 0; i < a.ItemCount(); ++i)
        a[i][0].t = 5;
    AverageSmooth(a, 0, 0, 2000, 32, 2, 24, false);
    double spread = 0;
    for (size_t i = 100; i < 1900; ++i)
        spread = std::max(spread, std::fabs(a[i][0].dt - 1000.0));
    EXPECT_LT(spread, 40);  // raw noise reaches 100
    EXPECT_EQ(a[1000][0].t, 5);
}

TEST(MedianSmooth, RemovesASpikeReadingTheBuffer) {
    std::vector<int32_t> v(300, 10);
    v[150] = 100000;
    TItemArray source = Channel(v);
    const TItemArray buffer = source;
    MedianSmooth(source, 0, buffer, 0, 0, 300, 32, 2, 24, false);
    EXPECT_EQ(Dt(source), std::vector<int32_t>(300, 10));
    // Degenerate windows leave the curve alone.
    TItemArray again = Channel(v);
    MedianSmooth(again, 0, buffer, 0, 0, 300, 0, 2, 24, false);
    EXPECT_EQ(Dt(again), v);
}

TEST(BezieSmooth, FirstWindowIsTheBernsteinCurveOfItsControlPoints) {
    const std::vector<int32_t> noisy = Noise(1000, 300);
    TItemArray a = Channel(noisy);
    BezieSmooth(a, 0, 0, 999, false, 20, 1);
    // Samples 0 … 9 are written by the first window only (the next one starts at 10).
    const std::vector<int32_t> control(noisy.begin(), noisy.begin() + 20);
    float t = 0;
    for (int i = 0; i <= 9; ++i) {
        EXPECT_EQ(a[i][0].dt, static_cast<int32_t>(std::nearbyint(static_cast<double>(Par(control, t)))))
            << i;
        t += 1.0f / 20;
    }
}

TEST(BezieSmooth, DegenerateCallsChangeNothing) {
    const std::vector<int32_t> noisy = Noise(500, 300);
    const auto unchanged = [&](int x1, int x2, int power, int step) {
        TItemArray a = Channel(noisy);
        BezieSmooth(a, 0, x1, x2, false, power, step);
        return Dt(a) == noisy;
    };
    EXPECT_TRUE(unchanged(10, 11, 50, 24));  // aX2 − aX1 <= 1
    EXPECT_TRUE(unchanged(0, 499, 9, 24));   // below 10 control points
    EXPECT_TRUE(unchanged(0, 499, 10, 24));  // one point per window, at parameter 0
    EXPECT_TRUE(unchanged(0, 499, 0, 24));   // would never advance
    EXPECT_TRUE(unchanged(0, 499, 50, 0));
    EXPECT_FALSE(unchanged(0, 499, 50, 2));
}

TEST(BezieSmooth, WritesOnlyItsRangeAndSurvivesManyControlPoints) {
    const std::vector<int32_t> noisy = Noise(5000, 300);
    TItemArray a = Channel(noisy);
    BezieSmooth(a, 0, 1000, 1200, false, 50, 24);  // the curve's windows reach far beyond 1200
    const auto v = Dt(a);
    EXPECT_TRUE(std::equal(v.begin(), v.begin() + 1000, noisy.begin()));
    EXPECT_TRUE(std::equal(v.begin() + 1201, v.end(), noisy.begin() + 1201));

    // 400 control points: factorials far beyond a double; a constant curve stays constant.
    TItemArray flat = Channel(std::vector<int32_t>(20000, 123456));
    BezieSmooth(flat, 0, 0, 19999, false, 400, 3);
    EXPECT_EQ(Dt(flat), std::vector<int32_t>(20000, 123456));
}

TEST(Derivat, ScaleAndSignOfTheSevenPointDifference) {
    std::vector<int32_t> line(100);
    for (int i = 0; i < 100; ++i)
        line[i] = i;
    const TItemArray a = Channel(line);
    EXPECT_EQ(Derivat(a, 0, 50, 9, false), -63);  // incr 3: −21 × slope × incr
    EXPECT_EQ(Derivat(a, 0, 50, 2, false), -21);  // ranges below 3 step by one item
    // At the ends the reads are clipped to the record, never outside it.
    EXPECT_EQ(Derivat(a, 0, 0, 9, false), -63);  // the position is kept aRange from the start
    EXPECT_GT(Derivat(a, 0, 99, 300, false), -1e9);
    const TItemArray one = Channel({5});
    EXPECT_EQ(Derivat(one, 0, 0, 2, false), 0);
    EXPECT_EQ(Derivat(TItemArray(1), 0, 0, 2, false), 0);
}

TEST(Derivative, FivePointDifferenceKeepsAwayFromTheEnds) {
    TTestConfig config;
    TDataClass d;
    Fill(d, 1000, [](int i) { return i * i; });  // derivative 2x
    EXPECT_DOUBLE_EQ(static_cast<double>(Derivative(d, 500)), 1000);
    EXPECT_DOUBLE_EQ(static_cast<double>(Derivative(d, 5)), 60);                  // evaluated at 30
    EXPECT_DOUBLE_EQ(static_cast<double>(Derivative(d, 990)), 1930);              // at count − 35
    EXPECT_DOUBLE_EQ(static_cast<double>(ClearDerivativeT(d, 500, true)), 1000);  // identity calibration
    TDataClass shortRecord;
    Fill(shortRecord, 40, [](int i) { return i * i; });
    EXPECT_EQ(Derivative(shortRecord, 20), 0);
}

TEST(Derivat2, SecondDifferenceWithClippedEnds) {
    std::vector<int32_t> square(200);
    for (int i = 0; i < 200; ++i)
        square[i] = i * i;
    const TItemArray a = Channel(square);
    EXPECT_EQ(SDerv2(a, 0, 100), 800);                   // 2·dx²
    EXPECT_EQ(Derivat2(a, 0, 5, 20), 625 - 2 * 25 + 0);  // the left read clipped to 0
    EXPECT_EQ(Derivat2(a, 0, 199, 20), 199 * 199 - 2 * 199 * 199 + 179 * 179);
    EXPECT_EQ(Derivat2(a, 0, 200, 20), 0);
    EXPECT_EQ(Derivat2(a, 0, -1, 20), 0);
}

TEST(Tangens, SecantSlopeInItemsAndInSeconds) {
    TTestConfig config;
    TDataClass d;
    d.frequency = 10;
    Fill(d, 2000, [](int i) { return 3 * i; });
    const long double perItem = TangensDt(d, 1000, 100, dtsUnits, tmUnits);
    EXPECT_NEAR(static_cast<double>(perItem), 3, 0.1);
    // The same stretch given in seconds: ten times the slope per second.
    EXPECT_NEAR(static_cast<double>(TangensDt(d, 1000, 10, dtsUnits, tmSeconds)), 10 * perItem, 1e-9);
    EXPECT_NEAR(static_cast<double>(TangensT(d, 1000, 100, tsDegrees, tmUnits)), static_cast<double>(perItem),
                1e-6);
    try {
        TangensDt(d, 1000, 0, dtsUnits, tmUnits);
        FAIL();
    } catch (const EMathUtilsException& e) {
        EXPECT_STREQ(e.what(), "TangensDt:x2=x1");
    }
    EXPECT_THROW(TangensT(d, 5000, 1, tsUnits, tmUnits),
                 EMathUtilsException);  // both ends clipped to the last item
}

TEST(Geometry, Intersections) {
    const TXYPoint p = LineIntersect({0, 0, 10, 10}, {0, 10, 10, 0});
    EXPECT_DOUBLE_EQ(static_cast<double>(p.x), 5);
    EXPECT_DOUBLE_EQ(static_cast<double>(p.y), 5);
    const TXYPoint far = LineIntersect({0, 0, 1, 1}, {100, 0, 101, 0});  // unbounded lines
    EXPECT_DOUBLE_EQ(static_cast<double>(far.x), 0);
    const TXYPoint parallel = LineIntersect({0, 1, 10, 1}, {0, 5, 10, 5});
    EXPECT_EQ(parallel.x, 0);
    EXPECT_EQ(parallel.y, 0);
    TXYPoint untouched{7, 7};
    EXPECT_FALSE(TryLineIntersect({0, 1, 10, 1}, {0, 5, 10, 5}, untouched));
    EXPECT_FALSE(TryLineIntersect({3, 3, 3, 3}, {0, 5, 10, 6}, untouched));  // a point is no line
    EXPECT_EQ(untouched.x, 7);

    const TXYPoint ab = LineIntersectAB(2, 1, -1, 4);
    EXPECT_DOUBLE_EQ(static_cast<double>(ab.x), 1);
    EXPECT_DOUBLE_EQ(static_cast<double>(ab.y), 3);
    EXPECT_DOUBLE_EQ(static_cast<double>(LineIntersectAB(2, 7, 2, 3).x), 4);  // equal slopes: b1 − b2
}

TEST(Geometry, LineCurveIntersect) {
    TTestConfig config;
    TDataClass d;
    Fill(d, 100, [](int) { return 0; });
    // Start points are tried from two thirds of the range (20) down: the line (20, 0) – (30, 10)
    // meets the flat curve at its own start.
    Trpoint p = LineCurveIntersect({0, 0, 0, 10}, d, 0, 30);
    EXPECT_EQ(p.x, 20);
    EXPECT_EQ(p.y, 0);
    p = LineCurveIntersect({0, 500, 0, 600}, d, 0, 30);  // never meets
    EXPECT_EQ(p.x, -1);
    EXPECT_EQ(p.y, -1);
    EXPECT_EQ(LineCurveIntersect({0, 0, 0, 10}, d, 50, 40).x, -1);
    EXPECT_EQ(LineCurveIntersect({0, 0, 0, 0}, d, 90, 5000).x, 99);  // end clipped to the last item
}

TEST(Geometry, MinSquareLine) {
    long double a = 9, b = 9;
    const TXYPoints line{{0, 1}, {1, 3}, {2, 5}, {3, 7}};
    MinSquareLine(line, a, b);
    EXPECT_NEAR(static_cast<double>(a), 2, 1e-12);
    EXPECT_NEAR(static_cast<double>(b), 1, 1e-12);
    MinSquareLine(TXYPoints{{4, 2}, {4, 6}}, a, b);  // no spread of x
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 4);
    MinSquareLine(TXYPoints{}, a, b);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 0);
}

TEST(Bezier, FactorialsPowersAndBernstein) {
    EXPECT_EQ(Fact(0), 1);
    EXPECT_EQ(Fact(1), 1);
    EXPECT_EQ(Fact(5), 120);
    EXPECT_TRUE(std::isinf(Fact(171)));
    EXPECT_EQ(Stepen(2, 10), 1024);
    EXPECT_EQ(Stepen(2, 0), 1);
    EXPECT_EQ(Stepen(2, -3), 1);
    const std::vector<int32_t> two{0, 10}, three{0, 0, 12};
    EXPECT_DOUBLE_EQ(static_cast<double>(Par(two, 0.5L)), 5);
    EXPECT_DOUBLE_EQ(static_cast<double>(Par(three, 0.5L)), 3);
    EXPECT_DOUBLE_EQ(static_cast<double>(Par(three, 0)), 0);
    EXPECT_DOUBLE_EQ(static_cast<double>(Par(three, 1)), 12);
    // 500 values: the weights still sum to one.
    const std::vector<int32_t> many(500, 1000);
    EXPECT_NEAR(static_cast<double>(Par(many, 0.37L)), 1000, 1e-6);
    EXPECT_EQ(Par(std::vector<int32_t>{}, 0.5L), 0);
}

TEST(Search, PlateauCentresSignAndNorm) {
    TTestConfig config;
    TDataClass d;
    Fill(d, 40, [](int i) { return i >= 10 && i <= 14 ? 50 : (i >= 20 && i <= 22 ? -7 : 0); });
    EXPECT_EQ(MaxCV(d, 0, 30, 0), 12);  // Round((10 + 15) / 2)
    EXPECT_EQ(MinCV(d, 0, 30, 0), 22);  // Round((20 + 23) / 2) = 21.5 → 22
    EXPECT_EQ(MaxCV(d, -5, 500, 0), 12);
    EXPECT_EQ(MaxCV(d, 30, 20, 0), -1);
    EXPECT_EQ(Sign(0), 1);
    EXPECT_EQ(Sign(-5), -1);
    EXPECT_DOUBLE_EQ(static_cast<double>(norm10000(5)), 1000);
    EXPECT_DOUBLE_EQ(static_cast<double>(norm10000(123456)), 0.01);
    EXPECT_DOUBLE_EQ(static_cast<double>(norm10000(0)), 1);
    EXPECT_DOUBLE_EQ(static_cast<double>(norm10000(-5)), 1000);
}

TEST(Search, SortIntArray) {
    std::mt19937 random(3);
    TIntegers a(1000);
    for (auto& x : a)
        x = static_cast<int32_t>(random());
    TIntegers expected = a;
    std::sort(expected.begin(), expected.begin() + 600);
    SortIntArray(a, 600);
    EXPECT_EQ(a, expected);
    SortIntArray(a);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(a, expected);
    TIntegers empty;
    SortIntArray(empty, 10);
    EXPECT_TRUE(empty.empty());
}

TEST(OversampleT, StepsBecomeSlopesAndPlateausStay) {
    TTestConfig config;
    TDataClass d;
    Fill(d, 8, [](int i) { return i < 4 ? 0 : 10; });
    d.fHasUnsavedChanges = false;
    OversampleT(d);
    std::vector<int32_t> t;
    for (int i = 0; i < 8; ++i)
        t.push_back(d.items[i][0].t);
    // Anchors (0, 0) and (4, 5): the step is halved at 4; items after the last anchor stay.
    EXPECT_EQ(t, (std::vector<int32_t>{0, 1, 2, 4, 5, 10, 10, 10}));
    EXPECT_FLOAT_EQ(d.items[3][0].tc, 4);  // calibrated values follow
    EXPECT_TRUE(d.fHasUnsavedChanges);

    TDataClass flat;
    Fill(flat, 300, [](int) { return 777; });
    OversampleT(flat);
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(flat.items[i][0].t, 777);
    TDataClass one;
    Fill(one, 1, [](int) { return 3; });
    OversampleT(one);
    EXPECT_EQ(one.items[0][0].t, 3);
}

TEST(Derivat, RangePassEqualsTheSinglePoints) {
    const std::vector<int32_t> noisy = Noise(3000, 500);
    const TItemArray source = Channel(noisy);
    TItemArray target(3);
    target.ResizeItems(3000);
    DerivatRange(source, 0, target, 2, -10, 5000, 7.5L, false);
    for (int k = 0; k < 3000; ++k) {
        ASSERT_EQ(
            target[k][2].dt,
            static_cast<int32_t>(std::nearbyint(static_cast<double>(Derivat(source, 0, k, 7.5L, false)))))
            << k;
    }
    EXPECT_EQ(target[5][1].dt, 0);  // other channels untouched
}

// The moving average written plainly from its description: every window summed afresh.
std::vector<int32_t> PlainAverage(std::vector<int32_t> v, int aStart, int aEnd, int aCount, int aDots,
                                  int aStep) {
    const int high = static_cast<int>(v.size()) - 1;
    int x0 = aStart, oldX0 = aStart;
    while (x0 < aEnd) {
        const int w = aDots * aCount;
        const int wndX1 = std::max(0, x0 - w / 2), wndX2 = std::min(high, x0 + w / 2);
        const int len =
            std::min(static_cast<int>(std::nearbyint(static_cast<double>(wndX2 - wndX1) / aDots)), aCount);
        if (len > 0) {
            int64_t sum = 0;
            for (int k = 0; k < len; ++k)
                sum += v[wndX1 + k * aDots];
            const double y1 = v[oldX0], y2 = static_cast<double>(sum / len);
            for (int j = oldX0; j <= x0; ++j)
                v[j] = static_cast<int32_t>(std::nearbyint(LineInterp(oldX0, y1, x0, y2, j)));
        }
        oldX0 = std::max(aStart, x0 - aStep / 2);
        x0 += std::max(1, aStep / 2);
    }
    return v;
}

TEST(AverageSmooth, SlidingSumsGiveWhatSummingEachWindowGives) {
    const std::vector<int32_t> noisy = Noise(900, 1000);
    for (int dots : {1, 2, 3}) {
        for (int step : {0, 1, 2, 3, 5, 24}) {
            for (int count : {1, 2, 10, 33}) {
                TItemArray a = Channel(noisy);
                AverageSmooth(a, 0, 3, 890, count, dots, step, false);
                ASSERT_EQ(Dt(a), PlainAverage(noisy, 3, 890, count, dots, step))
                    << dots << " " << step << " " << count;
            }
        }
    }
}
