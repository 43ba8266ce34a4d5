#include "processing/RunComparison.h"

#include <algorithm>
#include <cmath>

#include "common/Procs.h"
#include "data/DataClass.h"
#include "data/PhysicalExperiment.h"

namespace kalvero {
namespace {

// Samples of all channels together: five runs of two million items.
constexpr double kMaxSamples = 1e7;

bool SameUnit(const std::string& a, const std::string& b) {
    auto perMassHeatFlow = [](const std::string& u) { return u == "mW/mg" || u == "W/g"; };
    return a == b || (perMassHeatFlow(a) && perMassHeatFlow(b));
}

// The run of a compared experiment, per mass when asked.
TPhysicalRun RunOf(const TComparedRun& aRun, bool aPerMass) {
    TPhysicalRun r = PhysicalRunOf(*aRun.data);
    if (r.time.size() < 2) throw EPhysicalRunException("В опыте «" + aRun.name + "» нет данных");
    if (!aPerMass || IsPerMass(r.quantity)) return r;
    if (r.quantity != sqHeatFlow && r.quantity != sqVoltage)
        throw EPhysicalRunException(
            "На массу нормируется только тепловой поток и сигнал в мкВ, а не сигнал опыта «" + aRun.name +
            "» (" + SignalUnitCaption(r.unit) + ")");
    if (!(r.mass > 0)) throw EPhysicalRunException("Не задана масса навески опыта «" + aRun.name + "»");
    for (double& v : r.signal)
        v /= r.mass;
    r.quantity = r.quantity == sqHeatFlow ? sqHeatFlowPerMass : sqVoltagePerMass;
    r.unit = r.quantity == sqHeatFlowPerMass ? "mW/mg" : "µV/mg";
    return r;
}

// A run's values at the times k · aStep (k = 0 … aCount − 1), linear between its own samples and
// holding the last one beyond its end; the item of its end.
int Resample(const TPhysicalRun& r, double aStep, size_t aCount, std::vector<double>& aT,
             std::vector<double>& aY) {
    const size_t n = r.time.size();
    const double period = (r.time.back() - r.time.front()) / static_cast<double>(n - 1);
    aT.resize(aCount);
    aY.resize(aCount);
    for (size_t k = 0; k < aCount; ++k) {
        const double pos = static_cast<double>(k) * aStep / period;
        const size_t i = std::min(static_cast<size_t>(pos), n - 1);
        const double f = i + 1 < n ? pos - static_cast<double>(i) : 0.0;
        const size_t j = std::min(i + 1, n - 1);
        aT[k] = r.temperature[i] + (r.temperature[j] - r.temperature[i]) * f;
        aY[k] = r.signal[i] + (r.signal[j] - r.signal[i]) * f;
    }
    const double end = (r.time.back() - r.time.front()) / aStep;
    return static_cast<int>(std::min<double>(static_cast<double>(aCount - 1), std::floor(end + 1e-9)));
}

}  // namespace

void BuildComparison(const std::vector<TComparedRun>& aRuns, const TComparisonOptions& aOptions,
                     TDataClass& aOut, std::vector<std::string>& aWarnings) {
    if (aRuns.empty()) throw EPhysicalRunException("Не выбраны опыты для сравнения");
    std::vector<TPhysicalRun> runs;
    for (const TComparedRun& r : aRuns)
        runs.push_back(RunOf(r, aOptions.perMass));
    const bool endoUp = runs.front().endoUp.value_or(true);
    double step = INFINITY, duration = 0;
    for (size_t k = 0; k < runs.size(); ++k) {
        TPhysicalRun& r = runs[k];
        if (!SameUnit(r.unit, runs.front().unit))
            throw EPhysicalRunException("Сигналы опытов в разных единицах (" +
                                        SignalUnitCaption(runs.front().unit) + " и " +
                                        SignalUnitCaption(r.unit) + "): сравнение невозможно");
        // One direction for all: endothermic effects as the first run shows them.
        if (r.endoUp.value_or(true) != endoUp) {
            for (double& v : r.signal)
                v = -v;
            aWarnings.push_back("Сигнал опыта «" + aRuns[k].name +
                                "» перевёрнут: эндоэффекты направлены, как у «" + aRuns.front().name + "»");
        }
        const double span = r.time.back() - r.time.front();
        step = std::min(step, span / static_cast<double>(r.time.size() - 1));
        duration = std::max(duration, span);
    }
    const double channels = static_cast<double>(runs.size());
    if ((duration / step + 1) * channels > kMaxSamples) {
        step = duration * channels / (kMaxSamples - channels);
        aWarnings.push_back("Шаг времени сравнения увеличен до " + StrN(step, 4) + " с");
    }
    const size_t count = static_cast<size_t>(std::floor(duration / step + 1e-9)) + 1;

    std::vector<std::vector<double>> T(runs.size()), Y(runs.size());
    std::vector<int> ends(runs.size());
    double maxT = 0, maxY = 0;
    for (size_t k = 0; k < runs.size(); ++k) {
        ends[k] = Resample(runs[k], step, count, T[k], Y[k]);
        const double shift = static_cast<double>(k) * aOptions.offset;
        for (size_t i = 0; i < count; ++i) {
            Y[k][i] += shift;
            maxT = std::max(maxT, std::fabs(T[k][i]));
            maxY = std::max(maxY, std::fabs(Y[k][i]));
        }
    }

    TPhysicalRun first = runs.front();
    first.time.resize(count);
    for (size_t i = 0; i < count; ++i)
        first.time[i] = static_cast<double>(i) * step;
    first.temperature = T.front();
    first.signal = Y.front();
    first.sampleName = "Сравнение";
    std::string description = "Сравнение:";
    for (size_t k = 0; k < runs.size(); ++k)
        description += (k ? ", " : " ") + aRuns[k].name +
                       (runs[k].mass > 0 ? " (" + FormatFixed(runs[k].mass, 2) + " мг)" : std::string());
    first.description = description;
    first.sourceFile.clear();
    FillFromPhysicalRun(aOut, first, aWarnings);

    // One scale for every channel.
    aOut.fPhysical->tStep = ReadingStep(maxT);
    aOut.fPhysical->signalStep = ReadingStep(maxY);
    aOut.SetNumChannels(static_cast<int>(runs.size()));
    const TDisplayParams& display = DataConfig().display;
    for (size_t k = 0; k < runs.size(); ++k) {
        TChannelDescriptor& c = aOut.descriptors[k];
        c.name = aRuns[k].name;
        if (aOptions.offset != 0 && k > 0)
            c.name += " (+" + StrNEx(static_cast<double>(k) * aOptions.offset, -1) + ")";
        c.channelType = CHANNEL_TYPE_PERMANENT;
        c.diffTempCurveColor = display.GetDiffTempCurveColor(static_cast<int32_t>(k));
        c.tempCurveColor = display.GetTempCurveColor(static_cast<int32_t>(k));
        c.visible = true;
        c.fScanEndPoint = ends[k];
        for (size_t i = 0; i < count; ++i) {
            TItem& s = aOut.items[i][k];
            s.t = ToReading(T[k][i], aOut.fPhysical->tStep);
            s.dt = ToReading(Y[k][i], aOut.fPhysical->signalStep);
        }
    }
    // The masses differ from run to run: the comparison keeps one only when they agree.
    bool oneMass = true;
    for (const TPhysicalRun& r : runs)
        oneMass &= r.mass == runs.front().mass;
    aOut.fSampleWeight = aOptions.perMass || !oneMass ? 0.0 : runs.front().mass;
    aOut.FillTempValues();
    aOut.CopyToBuffer();
    aOut.FitRangesToData();
}

}  // namespace kalvero
