#include "import/ExperimentImport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "common/DateTime.h"
#include "common/Procs.h"
#include "data/DataClass.h"
#include "data/PhysicalExperiment.h"
#include "processing/Segments.h"

namespace kalvero {
namespace {

// The first items of the segments a segment column declares, on the experiment's time step.
std::vector<int32_t> SegmentStarts(const TImportedRun& aRun, double aFrequency) {
    std::vector<int32_t> starts;
    if (aRun.segment.size() != aRun.time.size() || aRun.time.empty()) return starts;
    starts.push_back(0);
    for (size_t i = 1; i < aRun.segment.size(); ++i) {
        if (aRun.segment[i] == aRun.segment[i - 1]) continue;
        const auto item = static_cast<int32_t>(std::lround((aRun.time[i] - aRun.time.front()) * aFrequency));
        if (item > starts.back()) starts.push_back(item);
    }
    return starts.size() > 1 ? starts : std::vector<int32_t>{};
}

// The heating rate of the run's longest segment that is not isothermal, K/min; 0 when none is.
double MeasuredRate(const TDataClass& d) {
    double rate = 0;
    int longest = 0;
    for (const TSegment& s : SegmentsOf(d)) {
        if (s.kind == skIsothermal || s.end - s.begin <= longest) continue;
        longest = s.end - s.begin;
        rate = s.rate;
    }
    return rate;
}

TDateTime ParseDate(const std::string& aText) {
    TDateTime value = 0;
    if (!aText.empty() && TryStrToDateTime(aText, value)) return value;
    // The ISO form many exports write: 2024-05-17 14:03:22 (or with a T).
    int y = 0, mo = 0, da = 0, h = 0, mi = 0, s = 0;
    if (std::sscanf(aText.c_str(), "%4d-%2d-%2d%*1[ T]%2d:%2d:%2d", &y, &mo, &da, &h, &mi, &s) >= 3 &&
        y > 1900 && mo >= 1 && mo <= 12 && da >= 1 && da <= 31)
        return EncodeDateTime(y, mo, da, h, mi, s);
    return 0;
}

}  // namespace

void ExperimentFromImport(TDataClass& d, const TImportedRun& aRun, const std::string& aSourceFile,
                          std::vector<std::string>& aWarnings) {
    TPhysicalRun run;
    run.time = aRun.time;
    run.temperature = aRun.temperature;
    run.signal = aRun.signal;
    run.quantity = aRun.quantity;
    run.unit = aRun.signalUnit;
    run.mass = aRun.mass.value_or(0);
    run.heatingRate = aRun.heatingRate.value_or(0);
    run.endoUp = aRun.endoUp;
    run.sampleName = aRun.sampleName;
    run.operatorName = aRun.operatorName;
    run.instrument = aRun.instrument;
    run.description = aRun.comment;
    run.sourceFile = aSourceFile;
    run.date = ParseDate(aRun.dateText);
    std::vector<std::string> warnings = aRun.warnings;
    FillFromPhysicalRun(d, run, warnings);
    d.fSegmentStarts = SegmentStarts(aRun, d.frequency);
    if (!aRun.dateText.empty() && run.date == 0) {
        warnings.push_back("Дата опыта «" + aRun.dateText + "» не распознана: принята дата импорта");
        if (d.fDescription.empty()) d.fDescription = aRun.dateText;
    }
    if (!aRun.mass) {
        warnings.push_back(IsPerMass(aRun.quantity)
                               ? "Масса навески в файле не указана (сигнал уже отнесён к массе)"
                               : "Масса навески в файле не указана: теплоты только в Дж");
    }
    if (!aRun.heatingRate) {
        const double rate = MeasuredRate(d);
        d.fHeatSpeed = static_cast<float>(std::fabs(rate));
        warnings.push_back(rate != 0 ? "Скорость нагрева в файле не указана: по кривой температуры " +
                                           StrN(std::fabs(rate), 2) + " К/мин"
                                     : "Скорость нагрева в файле не указана, по кривой не определяется");
    }
    if (!aRun.endoUp) d.fEndoUp = true;  // the run's warning says it was not given; up is assumed
    aWarnings.insert(aWarnings.end(), warnings.begin(), warnings.end());
}

bool IsForeignDataFile(const std::string& aPath) {
    std::ifstream in(aPath, std::ios::binary);
    std::string head(64 * 1024, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(std::max<std::streamsize>(0, in.gcount())));
    return LooksLikeForeignData(head);
}

void LoadAnyExperimentFile(TDataClass& d, const std::string& aPath, const TImportOptions& aOptions) {
    if (!IsForeignDataFile(aPath)) {
        d.LoadFromFile(aPath, ftDSC, 0);
        return;
    }
    const TImportedRun run = ImportForeignFile(aPath, aOptions);
    std::vector<std::string> warnings;
    ExperimentFromImport(d, run, aPath, warnings);
    d.SetLoadWarnings(warnings);
}

}  // namespace kalvero
