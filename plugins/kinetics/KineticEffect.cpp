#include "KineticEffect.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "data/DataClass.h"
#include "evaluation/Conversion.h"
#include "evaluation/ExperimentCurve.h"
#include "processing/Peak.h"
#include "processing/PeakTemperature.h"
#include "processing/PeakUtils.h"
#include "processing/RangeText.h"
#include "processing/Segments.h"

namespace kalvero::kinetics {
namespace {

constexpr double kZeroCelsius = 273.15;

// The stretch around the largest departure of the signal from the line through the levels of the
// heating's beginning (after the start settles) and end, out to where the departure falls below
// 5 % of its height.
std::pair<int, int> BroadPeakRange(const TDataClass& d) {
    // Only the heating counts: what follows the hottest item (a hold, the heater switched off)
    // moves the base line without a thermal effect of the sample.
    int n = 0;
    for (int i = 1; i < d.GetItemCount(); ++i) {
        if (d.items[i][0].tc > d.items[n][0].tc) n = i;
    }
    ++n;
    if (n < 100) return {0, n - 1};
    const int skip = n / 20, span = n / 10;
    auto level = [&](int aFrom) {
        double sum = 0;
        for (int i = aFrom; i < aFrom + span; ++i)
            sum += d.items[i][0].dt;
        return sum / span;
    };
    const double x1 = skip + span / 2.0, y1 = level(skip);
    const double x2 = n - span / 2.0, y2 = level(n - span);
    auto departure = [&](int i) { return d.items[i][0].dt - (y1 + (y2 - y1) * (i - x1) / (x2 - x1)); };
    int top = skip;
    for (int i = skip; i < n; ++i) {
        if (std::fabs(departure(i)) > std::fabs(departure(top))) top = i;
    }
    const double limit = 0.05 * std::fabs(departure(top));
    int from = top, to = top;
    while (from > skip && std::fabs(departure(from)) > limit)
        --from;
    while (to < n - 1 && std::fabs(departure(to)) > limit)
        ++to;
    return {from, to};
}

}  // namespace

std::string ExperimentName(const TDataClass& aData) {
    return std::filesystem::path(aData.fFileName).filename().string();
}

const TPeak& MainPeak(TDataClass& d, const TAppConfig& aConfig, TLogger* aLogger) {
    if (d.peaks.GetItemCount() == 0) {
        TPeakUtils detector(d, aConfig, aLogger, nullptr);
        detector.DetectPeaks(0, d.GetItemCount() - 1);
        // A reaction spread over tens of degrees can stay below detection limits set for sharp
        // melting peaks (a 12-bit record, or limits of 12-bit counts): then the stretch that
        // leaves the record's base line furthest is taken as the peak.
        if (d.peaks.GetItemCount() == 0) {
            const auto [from, to] = BroadPeakRange(d);
            if (to > from) detector.AddPeakManually(from, to);
        }
    }
    const TPeak* best = nullptr;
    long double bestArea = -1;
    for (int k = 0; k < d.peaks.GetItemCount(); ++k) {
        const auto* peak = dynamic_cast<const TPeak*>(d.peaks.GetItemByIndex(k).value);
        if (!peak) continue;
        const long double area = std::fabs(peak->GetSummaryArea());
        if (area > bestArea) bestArea = area, best = peak;
    }
    if (!best) throw EKineticsException("В эксперименте " + ExperimentName(d) + " не найден пик");
    return *best;
}

const TPeak& PeakInRange(TDataClass& d, const std::string& aRange, const TAppConfig& aConfig,
                         TLogger* aLogger) {
    const auto [from, to] = ItemRangeOf(d, aRange);
    TPeakUtils utils(d, aConfig, aLogger, nullptr);
    const TPeak* peak = utils.AddPeakManually(from, to);
    if (!peak)
        throw EKineticsException("Диапазон " + aRange + " эксперимента " + ExperimentName(d) +
                                 " не содержит эффекта");
    return *peak;
}

double HeatingRateAt(const TDataClass& d, int aItem) {
    if (d.fHeatSpeed > 0) return d.fHeatSpeed;
    const std::vector<TSegment> segments = SegmentsOf(d);
    const int at = SegmentAt(segments, aItem);
    if (at < 0 || segments[at].kind != skHeating)
        throw EKineticsException("Эффект эксперимента " + ExperimentName(d) +
                                 " лежит не на участке нагрева: скорость нагрева не определена");
    return segments[at].rate;
}

RKineticRun RunOfPeak(const TDataClass& d, const TPeak& aPeak, std::vector<std::string>& aWarnings) {
    const int from = std::min(aPeak.begX, aPeak.endX), to = std::max(aPeak.begX, aPeak.endX);
    const evaluation::TExperimentCurve curve = evaluation::CurveOfExperiment(d, from, to);
    const std::vector<double> baseLine = evaluation::PeakBaseLineValues(d, aPeak);
    const evaluation::RConversion c =
        evaluation::ComputeConversion(curve.View(), curve.Range(from, to), baseLine);
    RKineticRun run;
    run.name = ExperimentName(d);
    run.heatingRate = HeatingRateAt(d, aPeak.top);
    run.time = c.time;
    run.temperature = c.temperature;
    for (double& t : run.temperature)
        t += kZeroCelsius;
    run.conversion = c.alpha;
    run.rate = c.rate;
    run.peakTemperature = PeakTopTemperature(d, aPeak) + kZeroCelsius;
    for (const std::string& w : c.warnings)
        aWarnings.push_back(run.name + ": " + w);
    return run;
}

}  // namespace kalvero::kinetics
