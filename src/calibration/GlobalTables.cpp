#include "calibration/GlobalTables.h"

#include <functional>
#include <memory>

#include "calibration/CalibrationMath.h"
#include "calibration/DiffTempCalibration.h"
#include "calibration/HeatCalibration.h"
#include "calibration/TempCalibration.h"
#include "common/Globals.h"
#include "common/MsgBoxes.h"

namespace kalvero {
namespace {

using calibration_math::ClampToInt32;

// The tables read the configuration through gConfig; for the time of the creation it must be
// the one given.
class TConfigScope {
public:
    explicit TConfigScope(TAppConfig& aConfig) : fPrevious(gConfig) { gConfig = &aConfig; }
    ~TConfigScope() { gConfig = fPrevious; }
    TConfigScope(const TConfigScope&) = delete;
    TConfigScope& operator=(const TConfigScope&) = delete;

private:
    TAppConfig* fPrevious;
};

template <typename Table>
using TMaker = std::function<std::unique_ptr<Table>()>;

// Creates the table, loads aFileName into it and recalculates it. A failure is shown, logged and
// collected; the table is then created anew (null when even that fails).
template <typename Table>
std::unique_ptr<Table> CreateAndLoad(const TMaker<Table>& aMake, const std::string& aFileName,
                                     std::vector<std::string>& aErrors) {
    auto report = [&](const std::string& aClassName, const std::string& aText) {
        ErrBox(gLogger, aClassName, aText);
        aErrors.push_back(aText);
    };
    std::unique_ptr<Table> table;
    try {
        table = aMake();
    } catch (const std::exception& e) {
        report("TCalibrationTable", e.what());
        return nullptr;
    }
    if (aFileName.empty()) return table;
    try {
        table->LoadFromFile(aFileName);
    } catch (const std::exception& e) {
        report(table->ClassName(), e.what());
        return aMake();
    }
    try {
        table->Calc();
    } catch (const std::exception& e) {
        report(table->ClassName(), std::string("Ошибка при расчёте калибровочной таблиццы! ") + e.what() +
                                       " (" + aFileName + ")");
        return aMake();
    }
    return table;
}

}  // namespace

std::vector<std::string> CreateGlobalCalibrationTables(TAppConfig& c) {
    FreeGlobalCalibrationTables();
    TConfigScope scope(c);
    std::vector<std::string> errors;

    const TMaker<TTempCalibrationTable> makeTemp = [&c] {
        auto t = std::make_unique<TTempCalibrationTable>(
            ClampToInt32(static_cast<int64_t>(c.tMinADCValue) * c.tADCMultiplier),
            ClampToInt32(static_cast<int64_t>(c.tMaxADCValue) * c.tADCMultiplier));
        t->fRealUnitsName = c.tempChannelUnitsName;
        t->fTableTypeName = c.tempChannelName;
        t->fTableTypeShortName = c.tempChannelShortName;
        t->fMinADCValue = c.tMinADCValue;
        t->fMaxADCValue = c.tMaxADCValue;
        return t;
    };
    std::unique_ptr<TTempCalibrationTable> temp = CreateAndLoad(makeTemp, c.tempCalibrationTable, errors);
    const float begReal = temp ? temp->begRealValue : static_cast<float>(c.tMinADCValue);
    const float endReal = temp ? temp->endRealValue : static_cast<float>(c.tMaxADCValue);

    auto nameDiff = [&c](TCalibrationTable& t) {
        t.fTableTypeShortName = c.diffChannelShortName;
        t.fTableTypeName = c.diffChannelName;
        t.fRealUnitsName = c.diffChannelUnitsName;
        t.fMinADCValue = c.dTMinADCValue;
        t.fMaxADCValue = c.dTMaxADCValue;
    };
    std::unique_ptr<TCalibrationTable> diff;
    if (c.diffTempCalibrationTableType == cttDiffTemperature) {
        const TMaker<TDiffTempCalibrationTable> make = [&] {
            auto t = std::make_unique<TDiffTempCalibrationTable>(begReal, endReal);
            nameDiff(*t);
            return t;
        };
        diff = CreateAndLoad(make, c.diffTempCalibrationTable, errors);
    } else if (c.diffTempCalibrationTableType == cttTemperature) {
        const TMaker<TTempCalibrationTable> make = [&] {
            auto t = std::make_unique<TTempCalibrationTable>(c.dTMinADCValue, c.dTMaxADCValue);
            nameDiff(*t);
            return t;
        };
        diff = CreateAndLoad(make, c.diffTempCalibrationTable, errors);
    } else {
        throw ECalibrationException(INCORRECT_DIFF_TABLE_TYPE_MSG);
    }

    std::unique_ptr<THeatCalibrationTable> heat;
    if (c.showHeatCalibration) {
        const TMaker<THeatCalibrationTable> make = [&] {
            return std::make_unique<THeatCalibrationTable>(begReal, endReal);
        };
        heat = CreateAndLoad(make, c.heatCalibrationTable, errors);
    }

    gTempCalibrationTable = temp.release();
    gDiffTempCalibrationTable = diff.release();
    gHeatCalibrationTable = heat.release();
    return errors;
}

void TemperatureTableRange(float& aBegTemp, float& aEndTemp) {
    if (gTempCalibrationTable) {
        aBegTemp = gTempCalibrationTable->begRealValue;
        aEndTemp = gTempCalibrationTable->endRealValue;
    } else {
        aBegTemp = gConfig ? static_cast<float>(gConfig->tMinADCValue) : 0;
        aEndTemp = gConfig ? static_cast<float>(gConfig->tMaxADCValue) : 0;
    }
}

void FreeGlobalCalibrationTables() {
    delete gTempCalibrationTable;
    gTempCalibrationTable = nullptr;
    delete gDiffTempCalibrationTable;
    gDiffTempCalibrationTable = nullptr;
    delete gHeatCalibrationTable;
    gHeatCalibrationTable = nullptr;
}

}  // namespace kalvero
