#include "calibration/CommonCalibration.h"

#include <algorithm>
#include <filesystem>

#include "calibration/CalibrationMath.h"
#include "calibration/TableFile.h"
#include "common/BinaryIO.h"
#include "common/Cp1251.h"
#include "common/FileUtil.h"
#include "common/Globals.h"
#include "common/Logger.h"
#include "common/MsgBoxes.h"
#include "common/Procs.h"

namespace kalvero {
namespace {

constexpr size_t MAX_NAME_LENGTH = 255;

constexpr const char* OLD_DIFF_TABLE_MSG =
    "Внимание! Старые калибровочные таблицы для дифференциальной температуры более не "
    "поддерживаются.Необходимо создайть новую калибровочную таблицу для дифференциальной "
    "температуры!";

}  // namespace

const char* InterpolationTypeName(TInterpolationType aValue) {
    switch (aValue) {
        case itLine:
            return "itLine";
        case itPolynomial:
            return "itPolynomial";
        case itMinSquare:
            return "itMinSquare";
        case itBezie:
            return "itBezie";
    }
    return nullptr;
}

const char* CalibrationTableClassName(TCalibrationTableType aValue) {
    switch (aValue) {
        case cttTemperature:
            return "TTempCalibrationTable";
        case cttDiffTemperature:
            return "TDiffTempCalibrationTable";
        case cttHeat:
            return "THeatCalibrationTable";
    }
    return "TCalibrationTable";
}

void TCalibrationTable::AddRefPoint(int32_t aKey, const TRefPoint& aRefPoint) {
    refPoints.AddItem(aKey, aRefPoint);
    fPoints.push_back({static_cast<double>(aRefPoint.unitValue), static_cast<double>(aRefPoint.realValue)});
    if (fPoints.size() > 1 && fPoints[fPoints.size() - 2].u > fPoints.back().u) fPointsAscending = false;
}

void TCalibrationTable::SetRefPoints(const TCustomCollection& aRefPoints) {
    refPoints = aRefPoints;
    RefreshPoints();
}

void TCalibrationTable::ClearRefPoints() {
    refPoints.Clear();
    RefreshPoints();
}

void TCalibrationTable::SortRefPoints() {
    refPoints.Sort();
    RefreshPoints();
}

void TCalibrationTable::RefreshPoints() {
    fPoints.clear();
    fPointsAscending = true;
    for (const TCustomCollectionItem& item : refPoints.items) {
        fPoints.push_back(
            {static_cast<double>(item.value.unitValue), static_cast<double>(item.value.realValue)});
        if (fPoints.size() > 1 && fPoints[fPoints.size() - 2].u > fPoints.back().u) fPointsAscending = false;
    }
}

bool TCalibrationTable::FindDuplicateKey(int32_t& aKey) const {
    std::vector<int32_t> keys;
    for (const TCustomCollectionItem& item : refPoints.items)
        keys.push_back(item.value.unitValue);
    std::sort(keys.begin(), keys.end());
    const auto dup = std::adjacent_find(keys.begin(), keys.end());
    if (dup == keys.end()) return false;
    aKey = *dup;
    return true;
}

void TCalibrationTable::WarnIfAllZero(const std::string& aText) const {
    if (!std::all_of(items.begin(), items.end(), [](float v) { return v == 0; })) return;
    MsgBox(aText);
    // A log that cannot be written must not turn the warning into a failed calculation.
    try {
        if (gLogger) gLogger->Error(ClassName(), aText);
    } catch (...) {
    }
}

void TCalibrationTable::ZeroItems() {
    std::fill(items.begin(), items.end(), 0.0f);
}

void TCalibrationTable::SetName(const std::string& aName) {
    name = Utf8Left(aName, MAX_NAME_LENGTH);
}

void TCalibrationTable::SaveToFile(const std::string& aFileName) const {
    using calibration_math::SaturatingRound;
    const int32_t count = GetRefPointsCount();
    // A file that the loader would refuse is not written at all.
    if (count > TABLE_MAX_POINTS)
        throw ECalibrationException("Too many points in the table: " + std::to_string(count));
    const size_t recordSize = TableRecordSize(tableType);
    RTableFileHeader h;
    h.headStr = TABLE_HEAD_STR;
    h.name = name;
    h.dataOffset = static_cast<int32_t>(TABLE_DATA_START + count * recordSize);
    h.pointsCount = count;
    h.itemCount = GetItemCount();
    // Not read back; a wild range must not make the table unsaveable.
    h.begTemp = SaturatingRound(begRealValue);
    h.endTemp = SaturatingRound(endRealValue);
    h.tableType = tableType;
    h.version = TABLE_FILE_VERSION;
    h.interpType = interpType;
    h.temperatureOffset = temperatureOffset;
    h.useHeatTunePoint = useHeatTunePoint ? TABLE_FLAG_TRUE : 0;
    h.area = tp_area;
    h.dH = tp_dH;
    h.mass = tp_mass;
    h.transTemp = tp_transTemp;
    h.useMarginPoints = tp_useMarginPoints ? TABLE_FLAG_TRUE : 0;

    TBinaryWriter w;
    WriteTableHeader(w, h);
    w.WriteZeros(TABLE_DATA_START - w.Size());
    for (const TCustomCollectionItem& item : refPoints.items)
        WriteTableRecord(w, tableType, item.value);
    for (float v : items)
        w.Write<float>(v);
    WriteFileAtomic(aFileName, w.Data());
}

void TCalibrationTable::LoadFromFile(const std::string& aFileName) {
    const std::string folder = gConfig ? gConfig->fCalibrationTablesPath : std::string();
    Load(folder + aFileName, aFileName);
}

void TCalibrationTable::LoadFromPath(const std::string& aPath) {
    Load(aPath, aPath);
}

void TCalibrationTable::Load(const std::string& aPath, const std::string& aShownName) {
    std::string shownName = aShownName;
    try {
        fileName = aPath;
        const std::string data = ReadWholeFile(aPath);
        TBinaryReader reader(data);
        const RTableFileHeader h = ReadTableHeader(reader);
        name = h.name;
        if ((h.tableType & 0xFF) != tableType)
            throw ECalibrationException("Incorrect table type in file " + shownName + " for table " +
                                        ClassName());
        version = h.version;
        interpType = static_cast<TInterpolationType>(h.interpType & 0xFF);
        useHeatTunePoint = h.useHeatTunePoint == TABLE_FLAG_TRUE;
        tp_useMarginPoints = h.useMarginPoints == TABLE_FLAG_TRUE;
        tp_area = calibration_math::RoundToInt32(h.area);
        tp_dH = static_cast<float>(h.dH);
        tp_mass = static_cast<float>(h.mass);
        tp_transTemp = static_cast<float>(h.transTemp);

        shownName = std::filesystem::path(aShownName).filename().string();
        reader.Seek(TABLE_DATA_START);
        if (tableType == cttDiffTemperature && h.pointsCount > 0 && StrToReal(version) < 2.0) {
            ClearRefPoints();
            MsgBox(OLD_DIFF_TABLE_MSG);
            return;
        }
        CheckTableCounts(h, tableType, data.size());
        // Read whole before the points are replaced, so a bad record leaves the old points.
        std::vector<TRefPoint> points;
        for (int32_t i = 0; i < h.pointsCount; ++i)
            points.push_back(ReadTableRecord(reader, tableType));
        ClearRefPoints();
        for (const TRefPoint& p : points)
            AddRefPoint(p.unitValue, p);
    } catch (const std::exception& e) {
        throw ECalibrationException("Невозможно загрузить калибровочную таблицу \"" + shownName +
                                    "\". Ошибка: " + e.what());
    }
}

}  // namespace kalvero
