#pragma once
// Base of the calibration tables: raw converter counts to physical values (temperature,
// differential temperature, heat). Each kind provides the conversions it supports; calling one
// it does not provide raises EAbstractError. The base keeps the reference points, the computed
// entries, the heat tune point and the table file.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/Config.h"
#include "common/CustomCollection.h"

namespace kalvero {

enum TInterpolationType : uint8_t { itLine = 0, itPolynomial = 1, itMinSquare = 2, itBezie = 3 };

// "itLine", "itPolynomial", "itMinSquare", "itBezie"; null for another value.
const char* InterpolationTypeName(TInterpolationType aValue);
// "TTempCalibrationTable", "TDiffTempCalibrationTable", "THeatCalibrationTable".
const char* CalibrationTableClassName(TCalibrationTableType aValue);

// A conversion that this kind of table does not provide.
class EAbstractError : public std::logic_error {
public:
    EAbstractError() : std::logic_error("Abstract Error") {}
};

inline constexpr const char* REF_POINTS_COUNT_MSG =
    "Для расчёта необходимо не менее двух калибровочных точек.";

// A calculation with fewer reference points than it needs.
class ERefPoinsCount : public std::runtime_error {
public:
    ERefPoinsCount() : std::runtime_error(REF_POINTS_COUNT_MSG) {}
};

// Failures of the tables' own: loading, wrong ranges, calculations that cannot be done.
class ECalibrationException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TCalibrationTable {
public:
    virtual ~TCalibrationTable() = default;

    // A copy of the whole table (points, entries, names, ranges, options), of the same kind: a
    // calculation runs on it so that a failure leaves the table in force untouched.
    virtual std::unique_ptr<TCalibrationTable> Clone() const = 0;
    // Takes over everything of aOther, a table of the same kind (ECalibrationException otherwise).
    virtual void Assign(const TCalibrationTable& aOther) = 0;

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

    // Adds a copy of the point under the integer key (the kinds pass its unitValue).
    void AddRefPoint(int32_t aKey, const TRefPoint& aRefPoint);
    const TCustomCollection& GetRefPoints() const { return refPoints; }
    // Replaces the points by a copy of aRefPoints.
    void SetRefPoints(const TCustomCollection& aRefPoints);
    void ClearRefPoints();
    int GetRefPointsCount() const { return refPoints.GetItemCount(); }

    int GetItemCount() const { return static_cast<int>(items.size()); }
    const std::vector<float>& GetItems() const { return items; }
    void ZeroItems();

    TCalibrationTableType GetTableType() const { return tableType; }
    std::string ClassName() const { return CalibrationTableClassName(tableType); }
    const std::string& GetName() const { return name; }
    // Keeps at most the first 255 characters.
    void SetName(const std::string& aName);
    const std::string& GetFileName() const { return fileName; }
    // Version text of the last loaded file.
    const std::string& GetVersion() const { return version; }
    TInterpolationType GetInterpolationType() const { return interpType; }
    void SetInterpolationType(TInterpolationType aInterpType) { interpType = aInterpType; }
    int32_t GetTemperatureOffset() const { return temperatureOffset; }

    // Writes the table file at exactly aFileName (crash-safe: the old file stays whole until
    // the new one is complete). Errors propagate.
    void SaveToFile(const std::string& aFileName) const;
    // Reads the table file aFileName of the configuration's calibration-table folder. Any failure
    // becomes ECalibrationException "Невозможно загрузить калибровочную таблицу "<name>". Ошибка: …".
    // The computed entries are not read: the owner runs Calc afterwards.
    void LoadFromFile(const std::string& aFileName);
    // The same for a file given by its own path.
    void LoadFromPath(const std::string& aPath);

    std::string fRealUnitsName;
    std::string fTableTypeName;
    std::string fTableTypeShortName;
    int32_t fMinADCValue = 0;
    int32_t fMaxADCValue = 0;
    float begRealValue = 0;
    float endRealValue = 0;

protected:
    explicit TCalibrationTable(TCalibrationTableType aTableType) : tableType(aTableType) {}
    // Copies only through the kinds (Clone, Assign), never sliced to the base.
    TCalibrationTable(const TCalibrationTable&) = default;
    TCalibrationTable& operator=(const TCalibrationTable&) = default;
    // aOther as the kind T; ECalibrationException when it is of another kind.
    template <typename T>
    const T& SameKind(const TCalibrationTable& aOther) const {
        const auto* same = dynamic_cast<const T*>(&aOther);
        if (!same) throw ECalibrationException("Cannot assign " + aOther.ClassName() + " to " + ClassName());
        return *same;
    }

    // Sorts the points by key and refreshes the conversion copy.
    void SortRefPoints();
    // Refreshes the conversion copy after refPoints.items were changed in place.
    void RefreshPoints();
    // Whether two points share a key (a polynomial through them does not exist); the key in aKey.
    bool FindDuplicateKey(int32_t& aKey) const;
    // Shows and logs aText when every entry is 0: such a table turns every value into 0.
    void WarnIfAllZero(const std::string& aText) const;

    // The points as the conversions walk them: collection order, counts and real values.
    struct RPointUR {
        double u;
        double r;
    };
    std::vector<RPointUR> fPoints;
    // fPoints rise (not strictly) in u, so the walk may bisect.
    bool fPointsAscending = true;

    std::string version;
    std::string name;
    std::string fileName;
    TCustomCollection refPoints;
    std::vector<float> items;
    int32_t temperatureOffset = 0;
    TInterpolationType interpType = itLine;
    TCalibrationTableType tableType;
    bool useHeatTunePoint = false;
    bool tp_useMarginPoints = false;
    int32_t tp_area = 0;
    float tp_dH = 0;
    float tp_mass = 0;
    float tp_transTemp = 0;
    float tp_factor = 0;

private:
    void Load(const std::string& aPath, const std::string& aShownName);
};

}  // namespace kalvero
