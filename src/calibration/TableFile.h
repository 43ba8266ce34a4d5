#pragma once
// The calibration table file (*.tbl): a 512-byte header, point records from offset 1000 in the
// layout of the table kind, then the computed entries as 32-bit floats at dataOffset.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/BinaryIO.h"
#include "common/Config.h"
#include "common/CustomCollection.h"

namespace kalvero {

inline constexpr size_t TABLE_HEADER_SIZE = 512;
inline constexpr size_t TABLE_DATA_START = 1000;
inline constexpr int32_t TABLE_FLAG_TRUE = 7777;
inline constexpr const char* TABLE_HEAD_STR = "Temperature calibration datafile";
inline constexpr const char* TABLE_FILE_VERSION = "2.0";
// Tables hold a handful of points; the cap keeps a hostile file from costing minutes of sorting.
inline constexpr int32_t TABLE_MAX_POINTS = 4096;

struct RTableFileHeader {
    std::string headStr;
    std::string name;
    int32_t dataOffset = 0;
    int32_t pointsCount = 0;
    int32_t itemCount = 0;
    int32_t begTemp = 0;
    int32_t endTemp = 0;
    int32_t tableType = 0;
    std::string measure;
    std::string version;
    int32_t interpType = 0;
    int32_t temperatureOffset = 0;
    int32_t useHeatTunePoint = 0;
    double area = 0;
    double dH = 0;
    double mass = 0;
    double transTemp = 0;
    int32_t useMarginPoints = 0;
};

// 264, 276 or 344 bytes; 0 for a type byte that names no kind.
size_t TableRecordSize(uint32_t aTableType);

// The 512 header bytes.
void WriteTableHeader(TBinaryWriter& aWriter, const RTableFileHeader& aHeader);
// Reads the 512 header bytes at the reader's position (EReadError when the file is shorter).
RTableFileHeader ReadTableHeader(TBinaryReader& aReader);

// One point record of the kind. A peak height or area beyond Int32 cannot be read back and is a
// range error ("Range check error").
void WriteTableRecord(TBinaryWriter& aWriter, TCalibrationTableType aKind, const TRefPoint& aPoint);
// One point record of the kind; a negative height or area and a temperature that does not round
// into Int32 are range errors.
TRefPoint ReadTableRecord(TBinaryReader& aReader, TCalibrationTableType aKind);

// Checks that the header's counts are sane for a file of aFileSize bytes: no negative counts, at
// most TABLE_MAX_POINTS points, every record and every entry inside the file. Throws EReadError.
void CheckTableCounts(const RTableFileHeader& aHeader, TCalibrationTableType aKind, size_t aFileSize);

// The stored entries (after CheckTableCounts).
std::vector<float> ReadTableItems(std::string_view aFile, const RTableFileHeader& aHeader);

// The names (without folder) of the table files "*.tbl" (any letter case) in aFolder whose header
// carries aKind in the low byte of its table type, sorted. Files too short for a header are
// left out; a missing folder gives an empty list.
std::vector<std::string> ListTableFiles(const std::string& aFolder, TCalibrationTableType aKind);

}  // namespace kalvero
