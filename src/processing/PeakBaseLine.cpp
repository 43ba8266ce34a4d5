// Preparing the work channels and finding the base line under the thermal effects.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "common/Logger.h"
#include "common/MathProcs.h"
#include "common/UiHooks.h"
#include "processing/MathUtils.h"
#include "processing/PeakUtils.h"
#include "processing/ScanCore.h"
#include "processing/SmoothCore.h"

namespace kalvero {
namespace {

using processing::TBufferView;
using processing::TItemView;

TItemView DtOf(const TItemArray& aItems, int aChannel) {
    return TItemView(const_cast<TItemArray&>(aItems), aChannel, false);
}

// A stretch of the record in a buffer of its own, read and written at the record's indices: the
// routines clip at the record's ends as they do on a copy of the whole record.
class TStretchView {
public:
    TStretchView(int32_t* aData, int64_t aFirst, int64_t aRecordCount)
        : fData(aData), fFirst(aFirst), fCount(aRecordCount) {}
    int64_t Count() const { return fCount; }
    int32_t& operator[](int64_t i) const { return fData[i - fFirst]; }

private:
    int32_t* fData;
    int64_t fFirst;
    int64_t fCount;
};

}  // namespace

double TPeakUtils::QuietLevel(double aDetectLimit) {
    return std::fabs(static_cast<double>(aDetectLimit)) / 15;
}

processing::TBufferView TPeakUtils::ViewOf(TWorkCopy& aCopy, int aWorkChannel) {
    return processing::TBufferView(aCopy.dt[aWorkChannel].get(), aCopy.count);
}

void TPeakUtils::Prepare(TWorkCopy& aCopy, int aRangeStart, int aRangeEnd, TUiHooks* aProgressBar) {
    TDataClass& d = *fDataClass;
    const int count = d.GetItemCount();
    const double f = d.frequency;
    const int64_t lo = std::max<int64_t>(0, Round(aRangeStart - 50 * f));
    const int64_t hi = std::min<int64_t>(count - 1, aRangeEnd + Round(50 * f));
    aCopy.count = count;
    for (auto& channel : aCopy.dt)
        channel.reset(new int32_t[static_cast<size_t>(count)]);
    int32_t* s0 = aCopy.dt[WORKCHANNEL_BASE_CURVE].get();
    {
        const size_t stride = d.items.ChannelCount();
        const TItem* src = d.items.Data();
        for (int64_t i = 0; i < count; ++i, src += stride)
            s0[i] = src->dt;
    }
    const TBufferView v0 = ViewOf(aCopy, WORKCHANNEL_BASE_CURVE);
    const TBufferView v1 = ViewOf(aCopy, WORKCHANNEL_FIRST_DERIVATIVE);
    const TBufferView v2 = ViewOf(aCopy, WORKCHANNEL_SECOND_DERIVATIVE);
    // Over part of the record the smoothing reads what work channels 1 and 2 held before; over
    // the whole of it both are written in full before they are read.
    if (lo > 0 || hi < count - 1) {
        const TItem* w = d.workItems.Data();
        for (int64_t i = 0; i < count; ++i, w += WORKCHANNELS_COUNT) {
            v1[i] = w[WORKCHANNEL_FIRST_DERIVATIVE].dt;
            v2[i] = w[WORKCHANNEL_SECOND_DERIVATIVE].dt;
        }
    }
    if (count == 0) return;

    // Zeros at the end of the range (a run stopped early) take the last real value.
    if (v0[hi] == 0) {
        int64_t j = hi;
        while (j > lo && v0[j] == 0)
            --j;
        for (int64_t k = j + 1; k <= hi; ++k)
            v0[k] = v0[j];
    }
    // The first second of a record is the converter settling: it is flattened. A record shorter
    // than a second is flattened to its last item.
    int64_t k = std::min<int64_t>(Round(f), count - 1);
    while (v0[k] == 0 && k < count - 1)
        ++k;
    for (int64_t i = 0; i < k; ++i)
        v0[i] = v0[k];

    const auto dotCount = static_cast<int>(Round(f));
    const auto dotStep = static_cast<int>(Round(LLimR(1, f / 10)));
    const processing::TWindowParams window{lo, hi, dotCount, dotStep, dotStep};
    const long double range = f / 5;
    processing::AverageSmoothCore(v0, window);
    processing::DerivativePass(v0, v1, lo, hi, range);
    processing::AverageSmoothCore(v1, window);
    processing::BezieSmoothCore(v1, lo, hi, dotCount, dotStep, processing::BezierSmoothRows(dotCount),
                                aProgressBar);
    processing::DerivativePass(v1, v2, lo, hi, range);
    processing::AverageSmoothCore(v2, window);
}

namespace {

// The passes of Prepare over the stretch they read around aFrom … aTo, in the thread's scratch:
// between aFrom − 50 s and aTo + 50 s (lo … hi) the values come out as over a copy of the whole
// record. aSecond: the second derivative too (else v2 holds nothing). aDone(v0, v1, v2, first,
// last) sees the stretch first … last. The record must have its work channels.
template <typename Done>
void PrepareStretch(const TDataClass& d, int aFrom, int aTo, bool aSecond, TUiHooks* aProgressBar,
                    Done aDone) {
    const auto count = static_cast<int64_t>(d.items.ItemCount());
    const double f = d.frequency;
    const int64_t lo = std::max<int64_t>(0, Round(aFrom - 50 * f));
    const int64_t hi = std::min<int64_t>(count - 1, aTo + Round(50 * f));
    if (lo > hi) return;
    const auto dotCount = static_cast<int>(Round(f));
    const auto dotStep = static_cast<int>(Round(LLimR(1, f / 10)));
    const long double range = f / 5;
    const int64_t reach = 2 * int64_t{dotCount} * dotStep + 3 * Round(std::max(f / 5, 3.0) / 3) +
                          static_cast<int64_t>(std::ceil(range)) + 16;
    const int64_t first = std::max<int64_t>(0, lo - reach), last = std::min(count - 1, hi + reach);
    const size_t length = static_cast<size_t>(last - first + 1);
    // Every item of the stretch is written before it is read. A thread keeps its scratch for the
    // next peak (a batch marks one per file), up to a size worth keeping.
    constexpr size_t kKeptItems = size_t{1} << 22;
    thread_local std::unique_ptr<int32_t[]> kept;
    thread_local size_t keptLength = 0;
    std::unique_ptr<int32_t[]> own;
    int32_t* scratch = nullptr;
    if (3 * length <= kKeptItems) {
        if (keptLength < 3 * length) kept.reset(new int32_t[keptLength = 3 * length]);
        scratch = kept.get();
    } else {
        own.reset(new int32_t[3 * length]);
        scratch = own.get();
    }
    const TStretchView v0(scratch, first, count), v1(scratch + length, first, count),
        v2(scratch + 2 * length, first, count);

    const size_t stride = d.items.ChannelCount();
    const auto raw = [&](int64_t i) { return d.items.Data()[static_cast<size_t>(i) * stride].dt; };
    // Zeros at the end of the range (a run stopped early) take the last real value.
    int64_t filledFrom = hi + 1;
    int32_t fill = 0;
    if (raw(hi) == 0) {
        int64_t j = hi;
        while (j > lo && raw(j) == 0)
            --j;
        filledFrom = j + 1, fill = raw(j);
    }
    const auto value = [&](int64_t i) { return i >= filledFrom && i <= hi ? fill : raw(i); };
    // The first second of a record is the converter settling: it is flattened.
    int64_t settled = std::min<int64_t>(Round(f), count - 1);
    while (value(settled) == 0 && settled < count - 1)
        ++settled;
    const int32_t settledValue = value(settled);
    for (int64_t i = first; i <= last; ++i)
        v0[i] = i < settled ? settledValue : value(i);
    // The derivatives are written over lo … hi before they are read; beyond, the smoothing reads
    // what the work channels held before.
    const TItem* w = d.workItems.Data();
    for (const auto& [from, to] : {std::pair{first, lo - 1}, std::pair{hi + 1, last}}) {
        for (int64_t i = from; i <= to; ++i) {
            v1[i] = w[i * WORKCHANNELS_COUNT + WORKCHANNEL_FIRST_DERIVATIVE].dt;
            if (aSecond) v2[i] = w[i * WORKCHANNELS_COUNT + WORKCHANNEL_SECOND_DERIVATIVE].dt;
        }
    }

    const processing::TWindowParams window{lo, hi, dotCount, dotStep, dotStep};
    processing::AverageSmoothCore(v0, window);
    processing::DerivativePass(v0, v1, lo, hi, range);
    processing::AverageSmoothCore(v1, window);
    processing::BezieSmoothCore(v1, lo, hi, dotCount, dotStep, processing::BezierSmoothRows(dotCount),
                                aProgressBar);
    if (aSecond) {
        processing::DerivativePass(v1, v2, lo, hi, range);
        processing::AverageSmoothCore(v2, window);
    }
    aDone(v0, v1, v2, first, last);
}

bool HasWorkChannels(const TDataClass& d) {
    return d.items.ItemCount() > 0 && d.workItems.ItemCount() == d.items.ItemCount();
}

}  // namespace

void TPeakUtils::PrepareAround(int aFrom, int aTo, TUiHooks* aProgressBar) {
    TDataClass& d = *fDataClass;
    if (!HasWorkChannels(d)) {
        PrepareDerivatives(aFrom, aTo, aProgressBar);
        return;
    }
    const TShownMessage shown(*this, "Подготовка данных...");
    PrepareStretch(d, aFrom, aTo, true, aProgressBar,
                   [&](const TStretchView& v0, const TStretchView& v1, const TStretchView& v2, int64_t aFirst,
                       int64_t aLast) {
                       const size_t stride = d.items.ChannelCount();
                       TItem* out = d.workItems.Data();
                       for (int64_t i = aFirst; i <= aLast; ++i) {
                           TItem* item = out + i * WORKCHANNELS_COUNT;
                           item[WORKCHANNEL_BASE_CURVE] = d.items.Data()[static_cast<size_t>(i) * stride];
                           item[WORKCHANNEL_BASE_CURVE].dt = v0[i];
                           item[WORKCHANNEL_FIRST_DERIVATIVE].dt = v1[i];
                           item[WORKCHANNEL_SECOND_DERIVATIVE].dt = v2[i];
                       }
                   });
}

bool TPeakUtils::SteepestAround(int aFrom, int aTo, int aTop, bool aPositive, TUiHooks* aProgressBar,
                                int& aResult) {
    TDataClass& d = *fDataClass;
    if (!HasWorkChannels(d)) {
        PrepareDerivatives(aFrom, aTo, aProgressBar);
        return IterateToMaxValueWithPolarity(aFrom, aTop, aPositive, d.workItems,
                                             WORKCHANNEL_FIRST_DERIVATIVE, aResult);
    }
    const TShownMessage shown(*this, "Подготовка данных...");
    bool found = false;
    PrepareStretch(d, aFrom, aTo, false, aProgressBar,
                   [&](const TStretchView&, const TStretchView& v1, const TStretchView&, int64_t, int64_t) {
                       found = processing::FindLargest(v1, aFrom, aTop, aPositive, aResult);
                   });
    return found;
}

void TPeakUtils::Store(const TWorkCopy& aCopy, bool aBaseLine) {
    TDataClass& d = *fDataClass;
    const size_t count =
        std::min({d.items.ItemCount(), d.workItems.ItemCount(), static_cast<size_t>(aCopy.count)});
    const size_t stride = d.items.ChannelCount();
    const TItem* src = d.items.Data();
    TItem* w = d.workItems.Data();
    for (size_t i = 0; i < count; ++i, src += stride, w += WORKCHANNELS_COUNT) {
        w[WORKCHANNEL_BASE_CURVE] = *src;
        w[WORKCHANNEL_BASE_CURVE].dt = aCopy.dt[WORKCHANNEL_BASE_CURVE][i];
        w[WORKCHANNEL_FIRST_DERIVATIVE].dt = aCopy.dt[WORKCHANNEL_FIRST_DERIVATIVE][i];
        w[WORKCHANNEL_SECOND_DERIVATIVE].dt = aCopy.dt[WORKCHANNEL_SECOND_DERIVATIVE][i];
        if (aBaseLine) {
            w[WORKCHANNEL_BASE_LINE] = w[WORKCHANNEL_BASE_CURVE];
            w[WORKCHANNEL_BASE_LINE].dt = aCopy.dt[WORKCHANNEL_BASE_LINE][i];
        }
    }
}

void TPeakUtils::PrepareDerivatives(int aRangeStart, int aRangeEnd, TUiHooks* aProgressBar) {
    if (fDataClass->GetItemCount() == 0) return;
    const TShownMessage shown(*this, "Подготовка данных...");
    TWorkCopy copy;
    Prepare(copy, aRangeStart, aRangeEnd, aProgressBar);
    Store(copy, false);
}

bool TPeakUtils::DetectBaseLine(int aRangeStart, int aRangeEnd, TUiHooks* aPBar) {
    TWorkCopy copy;
    return DetectBaseLine(copy, aRangeStart, aRangeEnd, {{aRangeStart, aRangeEnd}},
                          DetectLimitsFor(*fDataClass, *fConfig, aRangeStart, aRangeEnd).baseLine, aPBar);
}

bool TPeakUtils::DetectBaseLine(TWorkCopy& aCopy, int aRangeStart, int aRangeEnd,
                                const std::vector<std::pair<int, int>>& aParts, double aLimit,
                                TUiHooks* aPBar) {
    TDataClass& d = *fDataClass;
    Log("Detecting base line, using detectBaseLineLimit " + std::to_string(aLimit));
    {
        const TShownMessage shown(*this, "Подготовка данных...");
        Prepare(aCopy, aRangeStart, aRangeEnd, aPBar);
    }
    d.RemoveTemporaryChannels();
    // Shows a work channel as a temporary channel of the experiment.
    const auto showWorkChannel = [&](const char* aName, int aWorkChannel) {
        const int channel = d.CreateCannel(aName, CHANNEL_TYPE_TEMPORARY) - 1;
        d.CopyFromWorkChannel(aWorkChannel, channel);
        d.FillTempValues(channel);
    };
    if (fConfig->debugMode) {
        Store(aCopy, false);
        showWorkChannel("Исходная кривая", WORKCHANNEL_BASE_CURVE);
        showWorkChannel("Первая производная", WORKCHANNEL_FIRST_DERIVATIVE);
        showWorkChannel("Вторая производная", WORKCHANNEL_SECOND_DERIVATIVE);
        d.FillWorkChannelsTempValues(aRangeStart, aRangeEnd);
    }
    const TShownMessage shown(*this, "Определение базовой линии...");
    const TBufferView curve = ViewOf(aCopy, WORKCHANNEL_BASE_CURVE);
    const TBufferView first = ViewOf(aCopy, WORKCHANNEL_FIRST_DERIVATIVE);
    const TBufferView line = ViewOf(aCopy, WORKCHANNEL_BASE_LINE);
    std::copy_n(aCopy.dt[WORKCHANNEL_BASE_CURVE].get(), aCopy.count, aCopy.dt[WORKCHANNEL_BASE_LINE].get());
    const int64_t quiet = Round(static_cast<double>(d.frequency));
    // A physical experiment's levels come from its own derivative, part by part (see
    // DETECT_QUIET_FACTOR): the base line's slope (the median derivative) is taken out of a copy
    // first, so that a sloping base line is as quiet as a flat one.
    const bool ownLevels = !(aLimit > 0);
    std::unique_ptr<int32_t[]> levelled;
    if (ownLevels) levelled.reset(new int32_t[static_cast<size_t>(std::max<int64_t>(1, aCopy.count))]);
    bool found = false;
    for (const auto& [from, to] : aParts) {
        double limit = aLimit;
        TBufferView partFirst = first;
        if (ownLevels) {
            const int a = std::max(0, from), b = std::min<int>(to, static_cast<int>(first.Count()) - 1);
            if (b <= a) continue;
            const int step = std::max(1, (b - a + 1) / 100000);
            std::vector<int64_t> sample;
            for (int i = a; i <= b; i += step)
                sample.push_back(first[i]);
            const auto middle = sample.begin() + static_cast<std::ptrdiff_t>(sample.size() / 2);
            std::nth_element(sample.begin(), middle, sample.end());
            const int64_t slope = *middle;
            for (int i = a; i <= b; ++i)
                levelled[i] = static_cast<int32_t>(
                    std::clamp<int64_t>(static_cast<int64_t>(first[i]) - slope, INT32_MIN, INT32_MAX));
            for (int64_t& v : sample)
                v = std::llabs(v - slope);
            const auto quarter = sample.begin() + static_cast<std::ptrdiff_t>(sample.size() / 4);
            std::nth_element(sample.begin(), quarter, sample.end());
            limit = 15 * DETECT_QUIET_FACTOR * std::max<double>(1, static_cast<double>(*quarter));
            partFirst = TBufferView(levelled.get(), aCopy.count);
            Log("Base line limit from the derivative: " + std::to_string(limit));
        }
        if (!processing::LayBaseLine(curve, partFirst, line, from, to, limit, QuietLevel(limit), quiet))
            continue;
        found = true;
        const double f = d.frequency;
        const int power = static_cast<int>(Round(f));
        processing::BezieSmoothCore(line, from, to, power, static_cast<int>(Round(LLimR(1, f / 10))),
                                    processing::BezierSmoothRows(power), aPBar);
    }
    Store(aCopy, true);
    if (!found) return false;
    if (fConfig->debugMode) showWorkChannel("Расчётная базовая линия", WORKCHANNEL_BASE_LINE);
    Log("Base line detected");
    return true;
}

bool TPeakUtils::FillBaseLine(int aRangeStart, int aRangeEnd, int aDetectLimit) {
    TDataClass& d = *fDataClass;
    d.CopyWorkChannelToWorkChannel(WORKCHANNEL_BASE_CURVE, WORKCHANNEL_BASE_LINE);
    const TItemArray& w = d.workItems;
    return processing::LayBaseLine(DtOf(w, WORKCHANNEL_BASE_CURVE), DtOf(w, WORKCHANNEL_FIRST_DERIVATIVE),
                                   DtOf(w, WORKCHANNEL_BASE_LINE), aRangeStart, aRangeEnd, aDetectLimit,
                                   QuietLevel(aDetectLimit), Round(static_cast<double>(d.frequency)));
}

bool TPeakUtils::FindSegmentByLessThan(int aRangeStart, int aRangeEnd, float aValueDuration,
                                       long double aValue, const TItemArray& aItems, int aItemsChannel,
                                       int& aResult) const {
    const int64_t duration = Round(static_cast<double>(fDataClass->frequency) * aValueDuration);
    return processing::FindQuietRun(DtOf(aItems, aItemsChannel), aRangeStart, aRangeEnd, duration,
                                    static_cast<double>(aValue), aResult);
}

bool TPeakUtils::IterateToBeginOfGreaterThan(int aRangeStart, int aRangeEnd, long double aLowValue,
                                             long double aHighValue, TThreeStateBoolean aPositive,
                                             const TItemArray& aItems, int aItemsChannel, int& aResHigh,
                                             int& aResLow, bool& aResPositive) const {
    if (aHighValue < aLowValue) throw EPeakUtilsException(" aLowValue>aHighValue");
    const int sign = aPositive == tsTrue ? 1 : (aPositive == tsFalse ? -1 : 0);
    return processing::FindExcursion(DtOf(aItems, aItemsChannel), aRangeStart, aRangeEnd,
                                     static_cast<double>(aLowValue), static_cast<double>(aHighValue), sign,
                                     aResHigh, aResLow, aResPositive);
}

bool TPeakUtils::IterateToBeginOfLessThan(int aRangeStart, int aRangeEnd, long double aValue,
                                          const TItemArray& aItems, int aItemsChannel, int& aResult) const {
    return processing::FindBelow(DtOf(aItems, aItemsChannel), aRangeStart, aRangeEnd,
                                 static_cast<double>(aValue), aResult);
}

bool TPeakUtils::IterateToMaxValueWithPolarity(int aRangeStart, int aRangeEnd, bool aPositive,
                                               const TItemArray& aItems, int aItemsChannel,
                                               int& aResult) const {
    // The derivative channel carries the inverted slope: a rising flank is negative.
    return processing::FindLargest(DtOf(aItems, aItemsChannel), aRangeStart, aRangeEnd, aPositive, aResult);
}

}  // namespace kalvero
