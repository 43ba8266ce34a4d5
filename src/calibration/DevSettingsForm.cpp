#include "calibration/DevSettingsForm.h"

#include "calibration/CommonCalibration.h"
#include "calibration/HeatCalibration.h"
#include "calibration/TempCalibration.h"
#include "common/FormFields.h"
#include "common/Globals.h"
#include "common/Procs.h"
#include "common/ScaleLists.h"

namespace kalvero {
namespace {

std::string Whole(double aValue) {
    return StrN(aValue, 0);
}

// Loads a table again from its file and recalculates it; a missing table (the heat table when
// heat calibration is off) has nothing to reload.
bool Reload(TCalibrationTable* aTable, bool aWanted, const std::string& aFileName) {
    if (!aWanted || !aTable) return false;
    aTable->LoadFromFile(aFileName);
    aTable->Calc();
    return true;
}

struct TRange {
    double from, to;
};

// The typed range clamped into the table's, or the table's own range after a reload.
TRange DisplayRange(const TCalibrationTable* aTable, bool aReloaded, const std::string& aFrom,
                    const std::string& aTo, const std::string& aFromLabel, const std::string& aToLabel) {
    if (aTable && aReloaded) return {aTable->begRealValue, aTable->endRealValue};
    const double from = ReadRealField(aFrom, aFromLabel), to = ReadRealField(aTo, aToLabel);
    if (!aTable) return {from, to};
    return {HLLimR(aTable->begRealValue, aTable->endRealValue, from),
            HLLimR(aTable->begRealValue, aTable->endRealValue, to)};
}

int32_t AccuracyOf(const std::string& aText) {
    return static_cast<int32_t>(ReadIntegerField(aText, "знаков", 0, 15));
}

}  // namespace

float TempRangeReal(int32_t aUnits) {
    return gTempCalibrationTable ? gTempCalibrationTable->GetRealValue(aUnits) : static_cast<float>(aUnits);
}

int32_t TempRangeUnits(float aReal) {
    return gTempCalibrationTable ? gTempCalibrationTable->GetUnitsValue(aReal)
                                 : static_cast<int32_t>(Round(aReal));
}

float DiffTempRangeReal(int32_t aUnits) {
    TCalibrationTable* t = gDiffTempCalibrationTable;
    if (!t) return static_cast<float>(aUnits);
    return t->GetTableType() == cttTemperature ? t->GetRealValue(aUnits) : t->GetMiddleRealValue(aUnits);
}

int32_t DiffTempRangeUnits(float aReal) {
    TCalibrationTable* t = gDiffTempCalibrationTable;
    if (!t) return static_cast<int32_t>(Round(aReal));
    return t->GetTableType() == cttTemperature ? t->GetUnitsValue(aReal)
                                               : t->GetUnitsValueByMiddleRange(aReal);
}

RDevSettingsForm DevSettingsForm(const TAppConfig& c) {
    RDevSettingsForm f;
    f.frequency = StrN(c.frequency, 2);
    f.decimation = std::to_string(c.decimation);
    f.portAddress = c.portAddress;
    f.startScanChannel = c.startScanChannel;
    f.deviceControlType = c.deviceControlType;
    f.postScanAction = c.postScanAction;
    f.heatSpeed = StrN(c.heatSpeed, 1);
    f.timeWindowWidth = Whole(c.timeWindowWidth);
    f.endTime = Whole(c.endTime);
    f.scanDeadZone = Whole(c.scanDeadZone);
    f.tempTable = c.tempCalibrationTable;
    f.diffTable = c.diffTempCalibrationTable;
    f.heatTable = c.heatCalibrationTable;
    f.timeScale = TimeScaleIndex(c.timeScale);
    f.tempScale = c.tempScale;
    f.diffTempScale = c.diffTempScale;
    f.areaScale = c.areaScale;
    f.tempAccuracy = std::to_string(c.tempScaleAccuracy);
    f.diffAccuracy = std::to_string(c.diffTempScaleAccuracy);
    f.areaAccuracy = std::to_string(c.areaScaleAccuracy);
    f.tFrom = StrN(TempRangeReal(c.tMinValue), 2);
    f.tTo = StrN(TempRangeReal(c.tMaxValue), 2);
    f.dtFrom = StrN(DiffTempRangeReal(c.dTMinValue), 2);
    f.dtTo = StrN(DiffTempRangeReal(c.dTMaxValue), 2);
    return f;
}

void ApplyDevSettings(RDevSettingsForm& f, const RTableReload& aReload, TAppConfig& c,
                      RTableReload& aReloaded) {
    aReloaded = {};
    // A run samples at the configured frequency: none at all or a negative one cannot be set.
    c.frequency = static_cast<float>(ReadPositiveRealField(f.frequency, "Частота опроса (Гц)"));
    c.decimation = static_cast<uint16_t>(ReadIntegerField(f.decimation, "Прореживание", 0, 65535));
    c.portAddress = f.portAddress;
    if (f.postScanAction >= psaNone && f.postScanAction <= psaStopAndSave)
        c.postScanAction = static_cast<TPostScanAction>(f.postScanAction);
    c.heatSpeed = static_cast<float>(ReadRealField(f.heatSpeed, "Скорость нагрева (град/мин)"));
    if (f.deviceControlType >= dctNone && f.deviceControlType <= dctProgram)
        c.deviceControlType = static_cast<TDeviceControlType>(f.deviceControlType);

    c.tempCalibrationTable = f.tempTable;
    c.diffTempCalibrationTable = f.diffTable;
    c.heatCalibrationTable = f.heatTable;

    aReloaded.temp = Reload(gTempCalibrationTable, aReload.temp, f.tempTable);
    aReloaded.diff = Reload(gDiffTempCalibrationTable, aReload.diff, f.diffTable);
    aReloaded.heat = Reload(gHeatCalibrationTable, aReload.heat, f.heatTable);

    const std::string t = c.tempChannelName, dt = c.diffChannelName;
    const TRange tr =
        DisplayRange(gTempCalibrationTable, aReloaded.temp, f.tFrom, f.tTo, t + " от", t + " до");
    const TRange dr =
        DisplayRange(gDiffTempCalibrationTable, aReloaded.diff, f.dtFrom, f.dtTo, dt + " от", dt + " до");
    if (tr.from > tr.to || dr.from > dr.to) throw EFormFieldException(RANGE_ORDER_MSG);
    if (tr.from == tr.to || dr.from == dr.to) throw EFormFieldException(RANGE_EQUAL_MSG);
    c.tMinValue = TempRangeUnits(static_cast<float>(tr.from));
    c.tMaxValue = TempRangeUnits(static_cast<float>(tr.to));
    c.dTMinValue = DiffTempRangeUnits(static_cast<float>(dr.from));
    c.dTMaxValue = DiffTempRangeUnits(static_cast<float>(dr.to));

    // A page of no time cannot be drawn.
    const auto page =
        static_cast<int32_t>(ReadIntegerField(f.timeWindowWidth, "Вермя страницы (сек)", 1, INT32_MAX));
    auto total = static_cast<int32_t>(ReadIntegerField(f.endTime, "Полная длительность (сек)", 0, INT32_MAX));
    if (total < page) {
        f.endTime = f.timeWindowWidth;
        total = page;
    }
    c.timeWindowWidth = page;
    c.endTime = total;
    c.scanDeadZone =
        static_cast<uint32_t>(ReadIntegerField(f.scanDeadZone, "\"Мертвая\" зона (мсек)", 0, INT32_MAX));
    if (f.startScanChannel >= 0) c.startScanChannel = f.startScanChannel;

    c.timeScale = TimeScaleOfIndex(f.timeScale, c.timeScale);
    if (f.tempScale >= 0) c.tempScale = f.tempScale;
    if (f.diffTempScale >= 0) c.diffTempScale = f.diffTempScale;
    if (f.areaScale >= 0) c.areaScale = f.areaScale;
    c.tempScaleAccuracy = AccuracyOf(f.tempAccuracy);
    c.diffTempScaleAccuracy = AccuracyOf(f.diffAccuracy);
    c.areaScaleAccuracy = AccuracyOf(f.areaAccuracy);
}

}  // namespace kalvero
