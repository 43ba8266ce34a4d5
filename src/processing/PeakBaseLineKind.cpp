// The kinds of a peak's base line: the straight line of its two points, or a line computed from
// the curve between the margins by the standards' constructions, which integration, the top, the
// hatching and every evaluation of the peak then follow.

#include <algorithm>
#include <array>

#include "evaluation/BaseLines.h"
#include "processing/Peak.h"
#include "processing/SampleView.h"

namespace kalvero {
namespace {

struct RKindName {
    const char* key;
    const char* caption;
};

constexpr std::array<RKindName, PEAK_BASELINE_KIND_COUNT> kNames = {{
    {"line", "Прямая"},
    {"left", "Горизонтальная слева"},
    {"right", "Горизонтальная справа"},
    {"sigmoid", "Сигмоидальная"},
    {"tangent-sigmoid", "Сигмоидальная по касательным"},
}};

evaluation::EBaseLine EvaluationKind(TPeakBaseLineKind aKind) {
    switch (aKind) {
        case pbkHorizontalLeft:
            return evaluation::EBaseLine::HorizontalLeft;
        case pbkHorizontalRight:
            return evaluation::EBaseLine::HorizontalRight;
        case pbkSigmoidal:
            return evaluation::EBaseLine::Sigmoidal;
        case pbkTangentialSigmoidal:
            return evaluation::EBaseLine::TangentialSigmoidal;
        case pbkStraight:
            break;
    }
    return evaluation::EBaseLine::Straight;
}

}  // namespace

const char* PeakBaseLineKey(TPeakBaseLineKind aKind) {
    return kNames.at(aKind).key;
}

const char* PeakBaseLineCaption(TPeakBaseLineKind aKind) {
    return kNames.at(aKind).caption;
}

std::optional<TPeakBaseLineKind> PeakBaseLineFromKey(const std::string& aKey) {
    for (size_t k = 0; k < kNames.size(); ++k)
        if (aKey == kNames[k].key) return static_cast<TPeakBaseLineKind>(k);
    return std::nullopt;
}

double TPeak::BaseLineReading(int64_t aX) const {
    if (!fBaseReadings.empty() && aX >= begX && aX <= endX)
        return fBaseReadings[static_cast<size_t>(aX - begX)];
    return processing::Interp(begX, BasePoint(0).y, endX, BasePoint(1).y, static_cast<double>(aX));
}

void TPeak::ComputeBaseLine() {
    fBaseReadings.clear();
    fBaseLineWarnings.clear();
    if (baseLineKind == pbkStraight || endX <= begX) return;
    // The curve in readings over time: the base line comes out in readings, as the straight one.
    const size_t n = static_cast<size_t>(endX - begX) + 1;
    std::vector<double> time(n), temperature(n), signal(n);
    for (size_t k = 0; k < n; ++k) {
        const TItem& s = Sample(begX + static_cast<int64_t>(k));
        time[k] = static_cast<double>(begX + static_cast<int64_t>(k)) / fFreq;
        temperature[k] = s.tc;
        signal[k] = s.dt;
    }
    evaluation::TBaseLineOptions options;
    options.type = EvaluationKind(baseLineKind);
    try {
        evaluation::RBaseLine line =
            evaluation::ComputeBaseLine({time, temperature, signal}, {0, n - 1}, options);
        fBaseReadings = std::move(line.values);
        fBaseLineWarnings = std::move(line.warnings);
    } catch (const evaluation::EEvaluationError& e) {
        // The straight line stands in; the operator reads why.
        fBaseLineWarnings = {e.what()};
        return;
    }
    for (TCutLine& line : cutLines)
        if (line.lineType == CUTLINE_PEAKTOP && line.points.size() > 1)
            line.points[1].y = GetBaseLineCrossingYCoord(line.points[1].x);
}

void TPeak::SetBaseLineKind(TPeakBaseLineKind aKind) {
    baseLineKind = aKind;
    CalcPeakIntegration();
    if (endX <= begX) return;
    CalcPeakTop();
    if (cutLines.size() > PEAK_LINE_TOP) UpdatePeakTop(PEAK_LINE_TOP, top);
    CalcCenterPoint();
}

}  // namespace kalvero
