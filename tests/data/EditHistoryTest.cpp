#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "data/DataClass.h"
#include "data/EditHistory.h"
#include "data/EditState.h"
#include "processing/Peak.h"
#include "processing/PeakUtils.h"
#include "processing/RangeEdits.h"
#include "support/FakeUiHooks.h"
#include "support/TestConfig.h"

using namespace kalvero;
using kalvero::test::TFakeUiScope;
using kalvero::test::TTestConfig;

namespace {

constexpr int kItems = 6000;

using RState = RExperimentState;

RState StateOf(const TDataClass& d) {
    return RExperimentState::Of(d);
}

template <typename T>
bool SameSamples(const TSampleArray<T>& a, const TSampleArray<T>& b) {
    return a.ItemCount() == b.ItemCount() && a.ChannelCount() == b.ChannelCount() &&
           std::memcmp(a.Data(), b.Data(), a.ItemCount() * a.ChannelCount() * sizeof(T)) == 0;
}

// Objects made anew get keys of chance: a replayed experiment is compared without them.
RObjectList WithoutKeys(const RObjectList& aList) {
    TObjectCollection copy(octArray);
    aList.Restore(copy);
    RObjectList list = RObjectList::Of(copy);
    for (auto& entry : list.objects)
        entry.first.clear();
    return list;
}

// aKeys false: the objects are compared without their keys.
void ExpectSameState(const RState& a, const RState& b, bool aKeys = true) {
    EXPECT_TRUE(SameSamples(a.items, b.items));
    EXPECT_TRUE(SameSamples(a.undoCopy, b.undoCopy));
    EXPECT_TRUE(a.channels == b.channels);
    EXPECT_TRUE(a.view == b.view);
    EXPECT_TRUE(SameEvaluations(a.evaluations, b.evaluations));
    auto same = [aKeys](const RObjectList& x, const RObjectList& y) {
        return aKeys ? x == y : WithoutKeys(x) == WithoutKeys(y);
    };
    EXPECT_TRUE(same(a.peaks, b.peaks));
    EXPECT_TRUE(same(a.tangents, b.tangents));
    EXPECT_TRUE(same(a.bubbles, b.bubbles));
}

// A model run: T rises 3 counts per item; channel 0 holds an endothermic peak at item 2000 and an
// exothermic one at item 4200 over a ripple that smoothing takes away; channels 1 and 2 are lines.
void FillModel(TDataClass& d) {
    d.SetItemsLength(kItems, true);
    for (int i = 0; i < kItems; ++i) {
        const double peaks = 4000 * std::exp(-0.5 * std::pow((i - 2000) / 100.0, 2)) -
                             3000 * std::exp(-0.5 * std::pow((i - 4200) / 100.0, 2));
        const int32_t ripple = (i * 7919) % 5 - 2;
        d.items[i][0] = TItem{20000 + 3 * i, 1000 + static_cast<int32_t>(std::lround(peaks)) + ripple, 0, 0};
        d.items[i][1] = TItem{20000 + 3 * i, 500 + i / 7, 0, 0};
        d.items[i][2] = TItem{19000 + 2 * i, -300 + (i % 97), 0, 0};
    }
    d.FillTempValues();
    d.mode = vm_view_dT_by_time;
    d.ResetMargins(false);
    d.CopyToBuffer();
    d.fHasUnsavedChanges = false;
}

class EditHistory : public ::testing::Test {
protected:
    TTestConfig config;
    TFakeUiScope ui;
    std::unique_ptr<TDataClass> d;
    std::unique_ptr<TPeakUtils> peaks;

    void SetUp() override {
        config->endTime = 600;
        config->frequency = 10;
        config->numberOfDataChannels = 3;
        d = std::make_unique<TDataClass>();
        FillModel(*d);
        peaks = std::make_unique<TPeakUtils>(*d, *config, nullptr, nullptr);
    }

    // The experiment with what the object edits work on: both peaks, a tangent, two markers, a
    // glass transition's stretches, and channel 0 moved since its undo copy was taken.
    void AddObjects() {
        peaks->DetectPeaks(0, kItems - 1);
        ASSERT_GE(d->peaks.GetItemCount(), 2);
        d->AddTangent(1500);
        d->AddBubble(1000);
        d->AddBubble(3000);
        d->fEvaluations.glassTransitions.push_back({100, 300, 600, 800});
        ShiftCurveVertically(*d, 0, 0, kItems - 1, 25, false);
        d->fHasUnsavedChanges = false;
    }

public:
    TPeak& Peak(int k) { return *dynamic_cast<TPeak*>(d->peaks.GetItemByIndex(k).value); }
};

struct REdit {
    std::string name;
    std::function<void(TDataClass&, TPeakUtils&, EditHistory&)> run;
};

}  // namespace

TEST_F(EditHistory, EveryKindOfStepIsUndoneAndRedoneToTheSameBits) {
    auto other = std::make_shared<TDataClass>();
    FillModel(*other);
    const std::vector<REdit> edits = {
        {"Сглаживание усреднением",
         [](TDataClass& x, TPeakUtils& p, auto&) {
             SmoothRange(x, TSmoothKind::skAverage, 1000, 1500, false, &p);
         }},
        {"Сглаживание медианой", [](TDataClass& x, TPeakUtils& p,
                                    auto&) { SmoothRange(x, TSmoothKind::skMedian, 1000, 1500, false, &p); }},
        {"Полиномиальное сглаживание",
         [](TDataClass& x, TPeakUtils& p, auto&) {
             SmoothRange(x, TSmoothKind::skBezier, 1700, 2300, false, &p);
         }},
        {"Сглаживание T", [](TDataClass& x, TPeakUtils& p,
                             auto&) { SmoothRange(x, TSmoothKind::skAverage, 10, 900, true, &p); }},
        {"Линейная интерполяция",
         [](TDataClass& x, TPeakUtils& p, auto&) { LineInterpolation(x, 2500, 2700, false, &p); }},
        {"Вырезание", [](TDataClass& x, TPeakUtils&, auto&) { ASSERT_TRUE(x.CutData(500, 900)); }},
        {"Вырезание начала", [](TDataClass& x, TPeakUtils&, auto&) { ASSERT_TRUE(x.CutData(0, 300)); }},
        {"Первая производная",
         [](TDataClass& x, TPeakUtils&, auto&) { AddFirstDerivativeChannel(x, 100, 5000); }},
        {"Вторая производная",
         [](TDataClass& x, TPeakUtils&, auto&) { AddSecondDerivativeChannel(x, 100, 5000); }},
        {"Вычитание",
         [other](TDataClass& x, TPeakUtils&, auto&) {
             x.CopyToBuffer();
             x.Substract(*other, 100);
         }},
        {"Копирование канала",
         [](TDataClass& x, TPeakUtils&, auto&) {
             const int copy = x.CreateCannel("Копия Канал № 2", CHANNEL_TYPE_PERMANENT) - 1;
             x.CopyToChannel(1, copy);
         }},
        {"Удаление канала", [](TDataClass& x, TPeakUtils&, auto&) { x.RemoveChannel(1); }},
        {"Удаление последнего канала", [](TDataClass& x, TPeakUtils&, auto&) { x.RemoveChannel(2); }},
        {"Перестановка каналов", [](TDataClass& x, TPeakUtils&, auto&) { x.SwapWorkChannelChannels(1, 2); }},
        {"Основной канал", [](TDataClass& x, TPeakUtils&, auto&) { x.SwapWorkChannelChannels(0, 2); }},
        {"Обмен T и dT", [](TDataClass& x, TPeakUtils&, auto&) { x.SwapTempAndDiffTemp(1); }},
        {"Сдвиг кривой по вертикали",
         [](TDataClass& x, TPeakUtils&, auto&) { ShiftCurveVertically(x, 1, 100, 800, 37, false); }},
        {"Сдвиг кривой по горизонтали",
         [](TDataClass& x, TPeakUtils&, auto&) { ShiftCurveHorizontally(x, 0, 1000, 3000, 25); }},
        {"Перенос нулевой линии dT", [](TDataClass& x, TPeakUtils&, auto&) { x.SetDTZeroLine(15); }},
        {"Перенос нулевой линии T", [](TDataClass& x, TPeakUtils&, auto&) { x.SetTZeroLine(-40); }},
        {"Определение пиков",
         [](TDataClass& x, TPeakUtils& p, auto&) {
             x.peaks.Clear();
             p.DetectPeaks(0, x.GetItemCount() - 1);
         }},
        {"Ручная отметка пика", [](TDataClass&, TPeakUtils& p, auto&) { p.AddPeakManually(3500, 4500); }},
        {"Удаление пика", [](TDataClass& x, TPeakUtils&, auto&) { x.DelPeak(0); }},
        {"Граница пика",
         [](TDataClass&, TPeakUtils&, EditHistory& t) {
             t.Peak(0).UpdatePeakMargin(CUTLINE_PEAKLEFTMARGIN, t.Peak(0).begX - 20);
         }},
        {"Базовая линия пика",
         [](TDataClass&, TPeakUtils&, EditHistory& t) {
             t.Peak(0).UpdatePeakBaseLine(0, t.Peak(0).CutlinesBaseLine().points.at(0).y + 30);
         }},
        {"Вершина пика", [](TDataClass&, TPeakUtils&,
                            EditHistory& t) { t.Peak(1).UpdatePeakTop(PEAK_LINE_TOP, t.Peak(1).top + 15); }},
        {"Вид базовой линии",
         [](TDataClass&, TPeakUtils&, EditHistory& t) { t.Peak(0).SetBaseLineKind(pbkSigmoidal); }},
        {"Касательная", [](TDataClass& x, TPeakUtils&, auto&) { x.AddTangent(2600, 2700); }},
        {"Удаление касательных",
         [](TDataClass& x, TPeakUtils&, auto&) { x.DelTangents(0, x.GetItemCount()); }},
        {"Маркер", [](TDataClass& x, TPeakUtils&, auto&) { x.AddBubble(4100); }},
        {"Удаление маркеров", [](TDataClass& x, TPeakUtils&, auto&) { x.DelBubbles(0, 2000); }},
        {"Стеклование",
         [](TDataClass& x, TPeakUtils&, auto&) {
             x.fEvaluations.glassTransitions.push_back({900, 1000, 1200, 1300});
         }},
        {"Чистота",
         [](TDataClass& x, TPeakUtils&, auto&) {
             x.fEvaluations.purities.push_back({"p", 128.2, NAN});
         }},
        {"Отмена последнего действия", [](TDataClass& x, TPeakUtils&, auto&) { ASSERT_TRUE(x.Undo(0)); }},
        {"Пересчёт градуировки",
         [](TDataClass& x, TPeakUtils&, auto&) {
             x.fPhysical = TPhysicalScale{};
             x.FillTempValues();
         }},
    };
    for (const REdit& edit : edits) {
        SCOPED_TRACE(edit.name);
        FillModel(*d);
        d->ClearObjects();
        d->fEvaluations.Clear();
        d->fPhysical.reset();
        d->fHistory.Clear();
        AddObjects();
        const RState before = StateOf(*d);
        // The dT zero line is the program's, moved by a recorded experiment's zero-line move.
        const int32_t zeroBefore = gConfig->dTZeroLine;
        RecordEdit(d->fHistory, *d, edit.name, [&] { edit.run(*d, *peaks, *this); });
        ASSERT_EQ(d->fHistory.StepCount(), 1u);
        EXPECT_EQ(d->fHistory.UndoName(), edit.name);
        EXPECT_TRUE(d->fHasUnsavedChanges);
        const RState after = StateOf(*d);
        const int32_t zeroAfter = gConfig->dTZeroLine;
        EXPECT_EQ(zeroAfter != zeroBefore, edit.name == "Перенос нулевой линии dT");

        ASSERT_TRUE(d->fHistory.Undo(*d));
        ExpectSameState(StateOf(*d), before);
        EXPECT_EQ(gConfig->dTZeroLine, zeroBefore);
        EXPECT_FALSE(d->fHasUnsavedChanges);  // back at the saved state
        EXPECT_EQ(d->fHistory.RedoName(), edit.name);
        ASSERT_TRUE(d->fHistory.Redo(*d));
        ExpectSameState(StateOf(*d), after);
        EXPECT_EQ(gConfig->dTZeroLine, zeroAfter);
        EXPECT_TRUE(d->fHasUnsavedChanges);
        ASSERT_TRUE(d->fHistory.Undo(*d));
        ExpectSameState(StateOf(*d), before);
        EXPECT_EQ(d->workItems.ItemCount(), d->items.ItemCount());
    }
}

namespace {

// One edit of the random sequence: its kind and two numbers that place it, so that the reference
// can make it again on a fresh experiment.
struct RRandomEdit {
    int kind = 0, a = 0, b = 0;
};

void MakeEdit(TDataClass& d, TPeakUtils& p, const RRandomEdit& e) {
    const int n = d.GetItemCount();
    const int x1 = e.a % (n - 20), x2 = std::min(n - 1, x1 + 10 + e.b % 800);
    switch (e.kind) {
        case 0:
            SmoothRange(d, TSmoothKind::skAverage, x1, x2, false, &p);
            break;
        case 1:
            SmoothRange(d, TSmoothKind::skMedian, x1, x2, e.b % 2 == 0, &p);
            break;
        case 2:
            LineInterpolation(d, x1, x2, false, &p);
            break;
        case 3:
            if (n > 2000) d.CutData(x1, std::min(x2, x1 + 300));
            break;
        case 4:
            if (d.GetChannelCount() < 5) AddFirstDerivativeChannel(d, x1, x2);
            break;
        case 5:
            if (d.GetChannelCount() > 1) d.RemoveChannel(1 + e.b % (d.GetChannelCount() - 1));
            break;
        case 6:
            ShiftCurveVertically(d, e.b % d.GetChannelCount(), x1, x2, e.a % 50 - 25, false);
            break;
        case 7:
            ShiftCurveHorizontally(d, 0, x1, x2, e.b % 40 - 20);
            break;
        case 8:
            d.peaks.Clear();
            p.DetectPeaks(0, n - 1);
            break;
        case 9:
            d.AddBubble(x1);
            break;
        case 10:
            d.AddTangent(x1, x2);
            break;
        case 11:
            d.SetDTZeroLine(e.b % 30 - 15);
            break;
        default:
            d.SwapWorkChannelChannels(0, d.GetChannelCount() - 1);
            break;
    }
}

}  // namespace

TEST_F(EditHistory, ARandomSequenceOfEditsUndosAndRedosMatchesTheEditsReplayed) {
    std::mt19937 random(29);
    std::vector<RRandomEdit> done;  // the edits in force, then the undone ones that may be redone
    size_t inForce = 0;
    auto reference = [&] {
        TDataClass fresh;
        FillModel(fresh);
        TPeakUtils freshPeaks(fresh, *config, nullptr, nullptr);
        for (size_t k = 0; k < inForce; ++k)
            MakeEdit(fresh, freshPeaks, done[k]);
        return StateOf(fresh);
    };
    size_t undos = 0, redos = 0;
    for (int round = 0; round < 120; ++round) {
        const int action = static_cast<int>(random() % 10);
        if (action < 2 && d->fHistory.CanUndo()) {
            ASSERT_TRUE(d->fHistory.Undo(*d));
            --inForce, ++undos;
        } else if (action < 4 && d->fHistory.CanRedo()) {
            ASSERT_TRUE(d->fHistory.Redo(*d));
            ++inForce, ++redos;
        } else {
            const RRandomEdit e{static_cast<int>(random() % 13), static_cast<int>(random() % 100000),
                                static_cast<int>(random() % 100000)};
            d->fHistory.Begin(*d, "Правка");
            MakeEdit(*d, *peaks, e);
            if (d->fHistory.Commit(*d)) {
                done.resize(inForce);
                done.push_back(e);
                ++inForce;
            }
        }
        ASSERT_EQ(d->fHistory.Position(), inForce);
        if (round % 8 == 7) {
            SCOPED_TRACE(round);
            ExpectSameState(StateOf(*d), reference(), false);
        }
    }
    EXPECT_GT(undos, 10u);
    EXPECT_GT(redos, 3u);
    d->fHistory.GoTo(*d, 0);
    inForce = 0;
    ExpectSameState(StateOf(*d), reference(), false);
}

TEST_F(EditHistory, TheBoundDropsTheOldestStepsAndSaysSoOnce) {
    // Each smoothing of 500 items keeps about 500 samples of 16 bytes.
    d->fHistory.SetLimit(5 * 10000);
    std::vector<RState> states;
    std::vector<uint64_t> names;
    for (int k = 0; k < 12; ++k) {
        RecordEdit(d->fHistory, *d, "Сглаживание " + std::to_string(k),
                   [&] { SmoothRange(*d, TSmoothKind::skAverage, 300 * k, 300 * k + 500, false, nullptr); });
        states.push_back(StateOf(*d));
        names.push_back(d->fHistory.State());
        EXPECT_LE(d->fHistory.Bytes(), d->fHistory.Limit());
    }
    const size_t kept = d->fHistory.StepCount();
    EXPECT_GE(kept, 3u);
    EXPECT_LT(kept, 12u);
    EXPECT_EQ(d->fHistory.DroppedSteps(), 12 - kept);
    EXPECT_EQ(d->fHistory.StepName(0), "Сглаживание " + std::to_string(12 - kept));
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_NE(ui->messages[0].find("История правки"), std::string::npos);
    // Undoing everything that is kept gives the state after the last dropped step.
    d->fHistory.GoTo(*d, 0);
    ExpectSameState(StateOf(*d), states[11 - kept]);
    EXPECT_EQ(d->fHistory.State(), names[11 - kept]);
    EXPECT_TRUE(d->fHasUnsavedChanges);  // the saved state went with the dropped steps
    // A smaller bound drops more at once.
    d->fHistory.GoTo(*d, kept);
    d->fHistory.SetLimit(d->fHistory.StepBytes(kept - 1));
    EXPECT_EQ(d->fHistory.StepCount(), 1u);
    EXPECT_EQ(ui->messages.size(), 1u);
}

TEST_F(EditHistory, TheSavedStateIsAMarkInTheHistory) {
    auto smooth = [&](int aFrom) {
        RecordEdit(d->fHistory, *d, "Сглаживание",
                   [&] { SmoothRange(*d, TSmoothKind::skAverage, aFrom, aFrom + 400, false, nullptr); });
    };
    const uint64_t loaded = d->fHistory.State();
    smooth(100);
    smooth(1000);
    const uint64_t second = d->fHistory.State();
    EXPECT_NE(second, loaded);
    EXPECT_TRUE(d->fHasUnsavedChanges);
    d->fHasUnsavedChanges = false;  // saved here
    smooth(2000);
    EXPECT_TRUE(d->fHasUnsavedChanges);
    d->fHistory.Undo(*d);
    EXPECT_FALSE(d->fHasUnsavedChanges);
    d->fHistory.Undo(*d);
    EXPECT_TRUE(d->fHasUnsavedChanges);
    d->fHistory.GoTo(*d, 0);
    EXPECT_TRUE(d->fHasUnsavedChanges);
    d->fHistory.GoTo(*d, 2);
    EXPECT_FALSE(d->fHasUnsavedChanges);
    // An edit that changes nothing is no step and leaves the experiment as saved.
    RecordEdit(d->fHistory, *d, "Вырезание", [&] { EXPECT_FALSE(d->CutData(10, 10)); });
    EXPECT_EQ(d->fHistory.StepCount(), 3u);
    EXPECT_FALSE(d->fHasUnsavedChanges);
    EXPECT_EQ(d->fHistory.State(), second);  // undone and redone back: the same state
    d->fHistory.GoTo(*d, 0);
    EXPECT_EQ(d->fHistory.State(), loaded);
    d->fHistory.GoTo(*d, 2);
    // A new edit after undoing past the saved state makes it unreachable.
    d->fHistory.GoTo(*d, 1);
    smooth(3000);
    EXPECT_EQ(d->fHistory.StepCount(), 2u);
    EXPECT_NE(d->fHistory.State(), second);  // the same place, another state
    for (size_t k : {0, 1, 2}) {
        d->fHistory.GoTo(*d, k);
        EXPECT_TRUE(d->fHasUnsavedChanges);
    }
}

TEST_F(EditHistory, AStepKeepsWhatItChangedAndADisabledHistoryNothing) {
    d->SetItemsLength(1000000, true);
    for (int i = 0; i < d->GetItemCount(); ++i)
        d->items[i][0] = TItem{20000 + i / 10, static_cast<int32_t>(i * 7919LL % 13), 0, 0};
    d->FillTempValues();
    d->fHistory.Clear();
    // A hundredth of the record smoothed: a hundredth of one channel kept, the side not in force.
    RecordEdit(d->fHistory, *d, "Сглаживание",
               [&] { SmoothRange(*d, TSmoothKind::skAverage, 500000, 510000, false, nullptr); });
    ASSERT_EQ(d->fHistory.StepCount(), 1u);
    EXPECT_LT(d->fHistory.StepBytes(0), 10001 * sizeof(TItem) + 4096);
    EXPECT_GT(d->fHistory.StepBytes(0), 9000 * sizeof(TItem));
    // A cut keeps the items cut out, not the record.
    RecordEdit(d->fHistory, *d, "Вырезание", [&] { ASSERT_TRUE(d->CutData(200000, 201000)); });
    EXPECT_LT(d->fHistory.StepBytes(1), 1000 * (3 * sizeof(TItem) + sizeof(TRawReading)) + 4096);
    // A new channel is the experiment's while in force; undone, the step keeps that channel.
    RecordEdit(d->fHistory, *d, "Первая производная", [&] { AddFirstDerivativeChannel(*d, 0, 1000); });
    const size_t channel = d->GetItemCount() * sizeof(TItem);
    EXPECT_LT(d->fHistory.StepBytes(2), 4096u);
    d->fHistory.Undo(*d);
    EXPECT_GE(d->fHistory.StepBytes(2), channel);
    EXPECT_LT(d->fHistory.StepBytes(2), channel + 4096);
    EXPECT_EQ(d->fHistory.Bytes(),
              d->fHistory.StepBytes(0) + d->fHistory.StepBytes(1) + d->fHistory.StepBytes(2));
    d->fHistory.Redo(*d);
    // A run records: the history keeps nothing.
    d->fHistory.SetEnabled(false);
    RecordEdit(d->fHistory, *d, "Маркер", [&] { d->AddBubble(10); });
    EXPECT_EQ(d->fHistory.StepCount(), 3u);
    d->fHistory.SetEnabled(true);
}
