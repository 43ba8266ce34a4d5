#pragma once
// Base of the calibration tables: raw converter counts to physical values (temperature,
// differential temperature, heat). Each kind provides the conversions it supports; calling one
// it does not provide raises EAbstractError.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/Config.h"
#include "common/CustomCollection.h"

namespace kalvero {

enum TInterpolationType : uint8_t { itLine = 0, itPolynomial = 1, itMinSquare = 2, itBezie = 3 };

// A conversion that this kind of table does not provide.
class EAbstractError : public std::logic_error {
public:
    EAbstractError() : std::logic_error("Abstract Error") {}
};

class TCalibrationTable {
public:
    virtual ~TCalibrationTable() = default;

    virtual float GetRealValue(int32_t aUnitsValue) { (void)aUnitsValue, throw EAbstractError(); }
    virtual float GetRealValue(int32_t aUnitsValue, float aForParam) {
        (void)aUnitsValue, (void)aForParam, throw EAbstractError();
    }
    virtual float GetMaxRealValue(int32_t aUnitsValue) { (void)aUnitsValue, throw EAbstractError(); }
    virtual float GetMiddleRealValue(int32_t aUnitsValue) { (void)aUnitsValue, throw EAbstractError(); }
    virtual float GetMinRealValue(int32_t aUnitsValue) { (void)aUnitsValue, throw EAbstractError(); }
    virtual int32_t GetUnitsValue(float aRealValue) { (void)aRealValue, throw EAbstractError(); }
    virtual int32_t GetUnitsValueByHighRange(float aRealValue) { (void)aRealValue, throw EAbstractError(); }
    virtual int32_t GetUnitsValueByMiddleRange(float aRealValue) { (void)aRealValue, throw EAbstractError(); }
    virtual int32_t GetUnitsValueByLowRange(float aRealValue) { (void)aRealValue, throw EAbstractError(); }
    virtual int32_t GetUnitsValue(float aRealValue, int32_t aForPoint) {
        (void)aRealValue, (void)aForPoint, throw EAbstractError();
    }
    virtual float GetFactor(float aRealValue) { (void)aRealValue, throw EAbstractError(); }
    virtual void Calc() { throw EAbstractError(); }

    TCalibrationTableType GetTableType() const { return tableType; }

protected:
    TCalibrationTableType tableType = cttTemperature;
};

}  // namespace kalvero
