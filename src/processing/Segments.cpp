#include "processing/Segments.h"

#include <algorithm>
#include <cmath>

#include "common/Procs.h"
#include "data/DataClass.h"

namespace kalvero {
namespace {

// The local rate (K/min) at every item: the slope of a least-squares line through the items within
// aHalf on each side, from running sums, so a long record costs one pass.
std::vector<double> LocalRates(const float* aTemp, size_t aStride, int64_t aCount, double aFrequency,
                               int64_t aHalf) {
    std::vector<double> sumY(static_cast<size_t>(aCount) + 1, 0.0), sumXY(sumY.size(), 0.0);
    for (int64_t i = 0; i < aCount; ++i) {
        const double y = aTemp[static_cast<size_t>(i) * aStride];
        sumY[i + 1] = sumY[i] + y;
        sumXY[i + 1] = sumXY[i] + static_cast<double>(i) * y;
    }
    std::vector<double> rates(static_cast<size_t>(aCount));
    for (int64_t i = 0; i < aCount; ++i) {
        const int64_t a = std::max<int64_t>(0, i - aHalf), b = std::min(aCount - 1, i + aHalf);
        const double n = static_cast<double>(b - a + 1);
        if (n < 2) {
            rates[i] = 0;
            continue;
        }
        // Centred on the window's middle, the x sums are known in closed form.
        const double mid = 0.5 * static_cast<double>(a + b);
        const double sy = sumY[b + 1] - sumY[a];
        const double sxy = sumXY[b + 1] - sumXY[a] - mid * sy;
        const double sxx = n * (n * n - 1) / 12;
        rates[i] = sxy / sxx * aFrequency * 60;
    }
    return rates;
}

TSegmentKind KindOf(double aRate) {
    if (std::fabs(aRate) < SEGMENT_ISOTHERMAL_RATE) return skIsothermal;
    return aRate > 0 ? skHeating : skCooling;
}

// The slope of a least-squares line through the temperatures of items aFrom … aTo, K/min.
double FitRate(const float* aTemp, size_t aStride, int64_t aFrom, int64_t aTo, double aFrequency) {
    const double n = static_cast<double>(aTo - aFrom + 1);
    if (n < 2) return 0;
    const double mid = 0.5 * static_cast<double>(aFrom + aTo);
    double sxy = 0, sxx = 0;
    for (int64_t i = aFrom; i <= aTo; ++i) {
        const double x = static_cast<double>(i) - mid;
        sxy += x * aTemp[static_cast<size_t>(i) * aStride];
        sxx += x * x;
    }
    return sxy / sxx * aFrequency * 60;
}

void Describe(TSegment& s, const float* aTemp, size_t aStride, double aFrequency) {
    // The middle of the segment: its ends still carry the change of rate.
    const int64_t len = s.end - s.begin + 1;
    const int64_t trim = len / 10;
    s.rate = FitRate(aTemp, aStride, s.begin + trim, s.end - trim, aFrequency);
    s.kind = KindOf(s.rate);
    s.beginTemp = aTemp[static_cast<size_t>(s.begin) * aStride];
    s.endTemp = aTemp[static_cast<size_t>(s.end) * aStride];
}

}  // namespace

std::string SegmentKindCaption(TSegmentKind aKind) {
    switch (aKind) {
        case skHeating:
            return "нагрев";
        case skCooling:
            return "охлаждение";
        default:
            return "изотерма";
    }
}

std::string SegmentCaption(const TSegment& s) {
    if (s.kind == skIsothermal)
        return SegmentKindCaption(s.kind) + " " + StrN(0.5 * (s.beginTemp + s.endTemp), 1) + " °С";
    return SegmentKindCaption(s.kind) + " " + StrN(s.rate, 1) + " К/мин";
}

std::vector<TSegment> FindTemperatureSegments(const float* aTemp, size_t aStride, int64_t aCount,
                                              double aFrequency) {
    std::vector<TSegment> out;
    if (aCount < 2 || !(aFrequency > 0)) return out;
    const int64_t half =
        std::clamp<int64_t>(std::llround(15 * aFrequency), 1, std::max<int64_t>(1, aCount / 20));
    const std::vector<double> rates = LocalRates(aTemp, aStride, aCount, aFrequency, half);

    // Runs of one kind.
    struct RRun {
        int64_t begin, end;
        TSegmentKind kind;
    };
    std::vector<RRun> runs;
    for (int64_t i = 0; i < aCount; ++i) {
        const TSegmentKind k = KindOf(rates[i]);
        if (runs.empty() || runs.back().kind != k) {
            runs.push_back({i, i, k});
        } else {
            runs.back().end = i;
        }
    }
    // Short runs (a melting plateau of the sample's temperature, the knee between two segments)
    // join the longer of their neighbours, shortest first; then equal neighbours merge.
    const int64_t minLen = std::max<int64_t>(2, std::llround(SEGMENT_MIN_DURATION * aFrequency));
    for (;;) {
        size_t shortest = runs.size();
        for (size_t k = 0; k < runs.size(); ++k) {
            const int64_t len = runs[k].end - runs[k].begin + 1;
            if (runs.size() > 1 && len < minLen &&
                (shortest == runs.size() || len < runs[shortest].end - runs[shortest].begin + 1))
                shortest = k;
        }
        if (shortest == runs.size()) break;
        const size_t k = shortest;
        const bool toLeft = k > 0 && (k + 1 == runs.size() || runs[k - 1].end - runs[k - 1].begin >=
                                                                  runs[k + 1].end - runs[k + 1].begin);
        if (toLeft) {
            runs[k - 1].end = runs[k].end;
        } else {
            runs[k + 1].begin = runs[k].begin;
        }
        runs.erase(runs.begin() + static_cast<std::ptrdiff_t>(k));
        for (size_t m = 1; m < runs.size();) {
            if (runs[m].kind == runs[m - 1].kind) {
                runs[m - 1].end = runs[m].end;
                runs.erase(runs.begin() + static_cast<std::ptrdiff_t>(m));
            } else {
                ++m;
            }
        }
    }
    // Each boundary where the rate passes half-way between the rates of its neighbours.
    for (size_t k = 1; k < runs.size(); ++k) {
        const double a = FitRate(aTemp, aStride, runs[k - 1].begin, runs[k - 1].end, aFrequency);
        const double b = FitRate(aTemp, aStride, runs[k].begin, runs[k].end, aFrequency);
        const double middle = 0.5 * (a + b), side = a - middle;
        // The classified boundary lies where the rate comes near the next segment's, which a lag
        // approaches slowly: back to the last item still on the first segment's side of half-way,
        // or on to it.
        int64_t at = runs[k].begin;
        while (at > runs[k - 1].begin + 1 && (rates[at - 1] - middle) * side < 0)
            --at;
        while (at < runs[k].end && (rates[at] - middle) * side > 0)
            ++at;
        runs[k - 1].end = at - 1;
        runs[k].begin = at;
    }
    for (const RRun& r : runs) {
        TSegment s;
        s.begin = static_cast<int32_t>(r.begin);
        s.end = static_cast<int32_t>(r.end);
        Describe(s, aTemp, aStride, aFrequency);
        out.push_back(s);
    }
    return out;
}

std::vector<TSegment> SegmentsFromStarts(const float* aTemp, size_t aStride, int64_t aCount,
                                         double aFrequency, const std::vector<int32_t>& aStarts) {
    std::vector<TSegment> out;
    for (size_t k = 0; k < aStarts.size(); ++k) {
        TSegment s;
        s.begin = std::clamp<int32_t>(aStarts[k], 0, static_cast<int32_t>(aCount - 1));
        s.end = k + 1 < aStarts.size() ? aStarts[k + 1] - 1 : static_cast<int32_t>(aCount - 1);
        if (s.end < s.begin) continue;
        Describe(s, aTemp, aStride, aFrequency);
        out.push_back(s);
    }
    return out;
}

std::vector<TSegment> SegmentsOf(const TDataClass& d) {
    const int64_t n = d.GetItemCount();
    if (n < 2) return {};
    // A long or finely sampled record is read at every k-th item, at most ten a second and 200000
    // in all: segments last minutes, a boundary to a tenth of a second is plenty, and drawing and
    // every evaluation over degrees ask for them.
    constexpr int64_t kPoints = 200000;
    constexpr double kPerSecond = 10;
    const auto perTime = static_cast<int64_t>(std::floor(d.frequency / kPerSecond));
    const int64_t k = std::max<int64_t>({1, (n + kPoints - 1) / kPoints, perTime});
    const int64_t m = (n + k - 1) / k;
    std::vector<float> temp(static_cast<size_t>(m));
    for (int64_t i = 0; i < m; ++i)
        temp[i] = d.items[static_cast<size_t>(i * k)][0].tc;
    const double f = d.frequency / static_cast<double>(k);
    std::vector<TSegment> segments;
    if (!d.fSegmentStarts.empty() && d.fSegmentStarts.front() == 0) {
        std::vector<int32_t> starts;
        for (int32_t s : d.fSegmentStarts)
            starts.push_back(static_cast<int32_t>(s / k));
        starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
        segments = SegmentsFromStarts(temp.data(), 1, m, f, starts);
    } else {
        segments = FindTemperatureSegments(temp.data(), 1, m, f);
    }
    if (k == 1) return segments;
    for (size_t j = 0; j < segments.size(); ++j) {
        segments[j].begin = static_cast<int32_t>(segments[j].begin * k);
        segments[j].end = j + 1 < segments.size() ? static_cast<int32_t>(segments[j + 1].begin * k - 1)
                                                  : static_cast<int32_t>(n - 1);
    }
    return segments;
}

int SegmentAt(const std::vector<TSegment>& aSegments, int aItem) {
    for (size_t k = 0; k < aSegments.size(); ++k)
        if (aItem <= aSegments[k].end) return static_cast<int>(k);
    return static_cast<int>(aSegments.size()) - 1;
}

}  // namespace kalvero
