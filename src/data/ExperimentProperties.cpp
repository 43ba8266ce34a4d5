#include "data/ExperimentProperties.h"

#include <algorithm>
#include <cmath>

#include "calibration/DevSettingsForm.h"
#include "common/Config.h"
#include "common/Cp1251.h"
#include "common/FormFields.h"
#include "common/Procs.h"
#include "common/ScaleLists.h"
#include "common/StringList.h"
#include "data/DataClass.h"

namespace kalvero {
namespace {

constexpr size_t kDescriptionLength = 255;

bool Showable(TDateTime aValue) {
    return std::isfinite(aValue) && aValue >= EncodeDateTime(1752, 9, 14) &&
           aValue < EncodeDateTime(9999, 12, 31, 23, 59, 59, 999);
}

std::string RangeLabel(float aReal, int32_t aUnits) {
    return StrN(aReal, 2) + " " + std::to_string(aUnits);
}

// A new word joins its list (the lists hold each word once, whatever its letter case).
bool AddWord(std::vector<std::string>& aList, const std::string& aWord) {
    if (aWord.empty()) return false;
    for (const std::string& w : aList)
        if (CompareTextNoCase(w, aWord) == 0) return false;
    aList.push_back(aWord);
    std::sort(aList.begin(), aList.end(),
              [](const std::string& a, const std::string& b) { return CompareTextNoCase(a, b) < 0; });
    return true;
}

}  // namespace

RPropertiesForm PropertiesForm(const TDataClass& d, const TAppConfig& c) {
    RPropertiesForm f;
    f.operatorName = d.fOperatorName;
    f.laboratory = d.fLaboratoryName;
    f.sample = d.fSampleName;
    f.description = d.fDescription;
    f.mass = StrN(d.fSampleWeight, 3);
    f.date = DecodeDateTime(Showable(d.fDateCreate) ? d.fDateCreate : Now());
    if (Showable(d.fDateCreate) && d.fDateCreate == std::trunc(d.fDateCreate))
        f.date.hour = f.date.minute = f.date.second = 0, f.date.millisecond = 1;
    f.timeScale = TimeScaleIndex(d.timeScale);
    f.tempScale = d.tempScale;
    f.diffTempScale = d.diffTempScale;
    f.areaScale = d.areaScale;
    f.frequency = StrN(d.frequency, 2);
    const std::vector<std::string> rates = HeatSpeedTexts(c);
    const std::string rate = StrN(d.fHeatSpeed, 1);
    if (std::find(rates.begin(), rates.end(), rate) != rates.end()) f.heatSpeed = rate;
    f.rangeLabels = {RangeLabel(DiffTempRangeReal(d.fDiffTempMinValue), d.fDiffTempMinValue),
                     RangeLabel(DiffTempRangeReal(d.fDiffTempMaxValue), d.fDiffTempMaxValue),
                     RangeLabel(TempRangeReal(d.fTempMinValue), d.fTempMinValue),
                     RangeLabel(TempRangeReal(d.fTempMaxValue), d.fTempMaxValue)};
    return f;
}

bool ApplyProperties(const RPropertiesForm& f, TDataClass& d, TAppConfig& c) {
    const RDateTimeParts& t = f.date;
    d.fDateCreate = EncodeDateTime(t.year, t.month, t.day, t.hour, t.minute, t.second, t.millisecond);
    d.fHasUnsavedChanges = true;

    d.fOperatorName = TrimText(f.operatorName);
    d.fLaboratoryName = TrimText(f.laboratory);
    d.fSampleName = TrimText(f.sample);
    bool grown = AddWord(c.operatorsList, d.fOperatorName);
    grown = AddWord(c.labsList, d.fLaboratoryName) || grown;
    grown = AddWord(c.samplesList, d.fSampleName) || grown;
    if (grown) c.SaveLibSettings();

    d.fDescription = Utf8Left(f.description, kDescriptionLength);
    d.fSampleWeight = ReadRealField(f.mass, "Масса навески (мг)");

    d.timeScale = static_cast<TTimeScale>(TimeScaleOfIndex(f.timeScale, d.timeScale));
    // An experiment whose rate is not on the list shows no choice: that keeps its rate.
    if (!TrimText(f.heatSpeed).empty())
        d.fHeatSpeed = static_cast<float>(ReadRealField(f.heatSpeed, "Скорость нагрева"));
    // A physical experiment's readings mean nothing as counts: it stays in its values.
    if (f.diffTempScale >= 0 && !d.IsPhysical())
        d.diffTempScale = static_cast<TDiffTempScale>(f.diffTempScale);
    if (f.tempScale >= 0 && !d.IsPhysical()) d.tempScale = static_cast<TTempScale>(f.tempScale);
    if (f.areaScale >= 0) d.areaScale = static_cast<TAreaScale>(f.areaScale);
    return grown;
}

}  // namespace kalvero
