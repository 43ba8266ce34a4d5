#pragma once
// What the device-settings dialog ("Настройки прибора") shows and sets: the values of its
// controls read from the configuration and the process-wide calibration tables, and applied back
// in the dialog's order, reloading the tables the operator exchanged on the way.

#include <string>

#include "common/Config.h"

namespace kalvero {

class TCalibrationTable;

inline constexpr const char* RANGE_ORDER_MSG = "Значение ОТ должно быть меньше значения ДО";
inline constexpr const char* RANGE_EQUAL_MSG = "Значение ОТ не должно быть равно значению ДО";

// The controls' values: texts as typed, list and radio positions.
struct RDevSettingsForm {
    // "Установки прибора".
    std::string frequency, decimation, portAddress;
    int startScanChannel = 0, deviceControlType = 0;
    // "Настройки эксперимента".
    std::string endTime, timeWindowWidth, scanDeadZone, heatSpeed;
    int postScanAction = 0;
    // "Калибровочные таблицы": the chosen file names.
    std::string tempTable, diffTable, heatTable;
    // "Начальные границы отображения", in the tables' units.
    std::string tFrom, tTo, dtFrom, dtTo;
    // "Шкалы прибора".
    int timeScale = 0, tempScale = 0, diffTempScale = 0, areaScale = 0;
    std::string tempAccuracy, diffAccuracy, areaAccuracy;
};

// Which tables are (to be) loaded again from their chosen files.
struct RTableReload {
    bool temp = false, diff = false, heat = false;
    bool Any() const { return temp || diff || heat; }
};

// The values as the dialog shows them on activation (the tables' file names included).
RDevSettingsForm DevSettingsForm(const TAppConfig& aConfig);

// Applies the form in the dialog's order: the device fields, the table names, the tables to
// reload (loaded and recalculated), the display ranges (clamped into the tables' ranges; a
// reloaded table gives its whole range) and their two checks, the run fields, the scales. When
// the total duration is below the page time, aForm.endTime takes the page time's text.
//
// The first failure (a field that does not read, a value out of range, a frequency of 0 or
// below, a table that fails to load, the two range messages) propagates; the fields assigned and
// the tables reloaded before it stay, and aReloaded tells which tables were reloaded so far.
void ApplyDevSettings(RDevSettingsForm& aForm, const RTableReload& aReload, TAppConfig& aConfig,
                      RTableReload& aReloaded);

// dT counts to degrees and back through the process-wide dT table: the middle range of a dT
// table, the plain conversion of a table of the temperature kind; counts stand for themselves
// without a table.
float DiffTempRangeReal(int32_t aUnits);
int32_t DiffTempRangeUnits(float aReal);
// Temperature counts to degrees and back through the process-wide temperature table.
float TempRangeReal(int32_t aUnits);
int32_t TempRangeUnits(float aReal);

}  // namespace kalvero
