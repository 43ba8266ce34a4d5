#include "data/PhysicalExperiment.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "common/Procs.h"
#include "data/DataClass.h"

namespace kalvero {
namespace {

double MaxAbs(const std::vector<double>& aValues) {
    double m = 0;
    for (double v : aValues)
        if (std::isfinite(v)) m = std::max(m, std::fabs(v));
    return m;
}

// The median of the steps between neighbouring times.
double MedianStep(const std::vector<double>& aTime) {
    std::vector<double> steps(aTime.size() - 1);
    for (size_t i = 1; i < aTime.size(); ++i)
        steps[i - 1] = aTime[i] - aTime[i - 1];
    std::nth_element(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2),
                     steps.end());
    return steps[steps.size() / 2];
}

// Whether every step lies within 0.1 % of aStep: the run's own samples are then kept as they are.
bool StepsAgree(const std::vector<double>& aTime, double aStep) {
    for (size_t i = 1; i < aTime.size(); ++i)
        if (std::fabs(aTime[i] - aTime[i - 1] - aStep) > 1e-3 * aStep) return false;
    return true;
}

// aValues at the times aFrom + k·aStep, k = 0 … aCount − 1, on straight lines between the run's
// samples.
std::vector<double> Resample(const std::vector<double>& aTime, const std::vector<double>& aValues,
                             double aStep, size_t aCount) {
    std::vector<double> out(aCount);
    size_t j = 0;
    for (size_t k = 0; k < aCount; ++k) {
        const double t = aTime.front() + static_cast<double>(k) * aStep;
        while (j + 2 < aTime.size() && aTime[j + 1] < t)
            ++j;
        const double t0 = aTime[j], t1 = aTime[j + 1];
        const double f = std::clamp((t - t0) / (t1 - t0), 0.0, 1.0);
        out[k] = aValues[j] + (aValues[j + 1] - aValues[j]) * f;
    }
    return out;
}

void Check(const TPhysicalRun& aRun) {
    const size_t n = aRun.time.size();
    if (aRun.temperature.size() != n || aRun.signal.size() != n) {
        throw EPhysicalRunException("Столбцы данных разной длины");
    }
    if (n < 2) throw EPhysicalRunException("В данных меньше двух точек");
    for (size_t i = 0; i < n; ++i) {
        if (!std::isfinite(aRun.time[i]) || !std::isfinite(aRun.temperature[i]) ||
            !std::isfinite(aRun.signal[i]))
            throw EPhysicalRunException("Точка " + std::to_string(i + 1) + " не является числом");
        if (i > 0 && !(aRun.time[i] > aRun.time[i - 1]))
            throw EPhysicalRunException("Время не возрастает в точке " + std::to_string(i + 1));
    }
}

}  // namespace

void FillFromPhysicalRun(TDataClass& d, const TPhysicalRun& aRun, std::vector<std::string>& aWarnings) {
    Check(aRun);
    double step = MedianStep(aRun.time);
    const bool keep = StepsAgree(aRun.time, step);
    // Kept samples take the mean step: times written with few digits ("0.008333 min") round each
    // step, not the whole record.
    if (keep) step = (aRun.time.back() - aRun.time.front()) / static_cast<double>(aRun.time.size() - 1);
    const size_t count =
        keep ? aRun.time.size()
             : static_cast<size_t>(std::floor((aRun.time.back() - aRun.time.front()) / step)) + 1;
    if (count > static_cast<size_t>(INT32_MAX / 2)) throw EPhysicalRunException("Слишком много точек");
    const std::vector<double> temperature =
        keep ? aRun.temperature : Resample(aRun.time, aRun.temperature, step, count);
    const std::vector<double> signal = keep ? aRun.signal : Resample(aRun.time, aRun.signal, step, count);
    if (!keep) {
        aWarnings.push_back("Шаг времени неравномерен: данные пересчитаны на равный шаг " + StrN(step, 6) +
                            " с (" + std::to_string(aRun.time.size()) + " точек в файле, " +
                            std::to_string(count) + " после пересчёта)");
    }
    if (std::fabs(aRun.time.front()) > step / 2) {
        aWarnings.push_back("Время отсчитывается от первой точки (в файле " + StrN(aRun.time.front(), 3) +
                            " с)");
    }

    TPhysicalScale scale;
    scale.tStep = ReadingStep(MaxAbs(temperature));
    scale.signalStep = ReadingStep(MaxAbs(signal));
    scale.quantity = aRun.quantity;
    scale.unit = aRun.unit.empty() ? DefaultSignalUnit(aRun.quantity) : aRun.unit;

    d.ClearObjects();
    d.items.Reset(0, 1);
    d.descriptors.resize(1);
    d.fPhysical = scale;
    d.fEndoUp = aRun.endoUp;
    d.tempScale = tsDegrees;
    d.diffTempScale = dtsDegrees;
    d.frequency = static_cast<float>(1.0 / step);
    d.fPeriod = 1000.0L / d.frequency;
    d.SetItemsLength(static_cast<int>(count), true);
    for (size_t i = 0; i < count; ++i) {
        TItem& s = d.items[i][0];
        s.t = ToReading(temperature[i], scale.tStep);
        s.dt = ToReading(signal[i], scale.signalStep);
    }
    d.FillTempValues();
    d.CopyToBuffer();

    d.fSampleName = aRun.sampleName;
    d.fOperatorName = aRun.operatorName;
    d.fLaboratoryName = aRun.laboratoryName;
    d.fDescription = aRun.description;
    d.fInstrument = aRun.instrument;
    d.fSourceFile = aRun.sourceFile;
    d.fSampleWeight = aRun.mass;
    d.fHeatSpeed = static_cast<float>(aRun.heatingRate);
    d.fDateCreate = aRun.date != 0 ? aRun.date : Now();
    const std::string name = aRun.sourceFile.empty()
                                 ? std::string("данные")
                                 : std::filesystem::path(aRun.sourceFile).filename().string();
    d.descriptors[0].name = "Канал №1 - " + name;
    d.mode = vm_view_dT_by_time;
    const int last = static_cast<int>(count) - 1;
    d.descriptors[0].fScanEndPoint = last;
    d.begX = 0, d.endX = last, d.begXSel = 0, d.endXSel = last;
    d.fBegCalcInfo = 0, d.fEndCalcInfo = static_cast<uint32_t>(last);
    d.fWasFirstScan = true;
    d.fFirstScanChannelNo = d.fLastScanChannelNo = 0;
    d.FitRangesToData();
    d.fWasSaved = false;
    d.fHasUnsavedChanges = true;
}

TPhysicalRun PhysicalRunOf(const TDataClass& d, int aChannel) {
    TPhysicalRun run;
    const int n = d.GetItemCount();
    if (aChannel < 0 || aChannel >= d.GetChannelCount()) return run;
    run.time.resize(static_cast<size_t>(n));
    run.temperature.resize(static_cast<size_t>(n));
    run.signal.resize(static_cast<size_t>(n));
    const double period = 1.0 / d.frequency;
    for (int i = 0; i < n; ++i) {
        const TItem& s = d.items[i][aChannel];
        run.time[i] = i * period;
        // Values of a physical experiment in double precision, straight from the readings.
        run.temperature[i] = d.fPhysical ? s.t * d.fPhysical->tStep : s.tc;
        run.signal[i] = d.fPhysical ? s.dt * d.fPhysical->signalStep : s.dtc;
    }
    if (d.fPhysical) {
        run.quantity = d.fPhysical->quantity;
        run.unit = d.fPhysical->unit;
    } else {
        run.quantity = sqDiffTemp;
        run.unit = "K";
    }
    run.mass = d.fSampleWeight;
    run.heatingRate = d.fHeatSpeed;
    run.endoUp = d.EndoUp();
    run.sampleName = d.fSampleName;
    run.operatorName = d.fOperatorName;
    run.laboratoryName = d.fLaboratoryName;
    run.instrument = d.fInstrument;
    run.description = d.fDescription;
    run.sourceFile = d.fSourceFile;
    run.date = d.fDateCreate;
    return run;
}

}  // namespace kalvero
