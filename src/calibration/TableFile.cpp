#include "calibration/TableFile.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>

#include "calibration/CalibrationMath.h"

namespace kalvero {
namespace {

using calibration_math::RoundToInt32;
using calibration_math::ThrowRangeError;

constexpr size_t TEMP_RECORD_SIZE = 264;
constexpr size_t DIFF_RECORD_SIZE = 276;
constexpr size_t HEAT_RECORD_SIZE = 344;

// Counts that the file stores as Int32 but the points hold unsigned.
int32_t CheckedCount(uint32_t aValue) {
    if (aValue > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) ThrowRangeError();
    return static_cast<int32_t>(aValue);
}

uint32_t NonNegative(int32_t aValue) {
    if (aValue < 0) ThrowRangeError();
    return static_cast<uint32_t>(aValue);
}

}  // namespace

size_t TableRecordSize(uint32_t aTableType) {
    switch (aTableType) {
        case cttTemperature:
            return TEMP_RECORD_SIZE;
        case cttDiffTemperature:
            return DIFF_RECORD_SIZE;
        case cttHeat:
            return HEAT_RECORD_SIZE;
        default:
            return 0;
    }
}

void WriteTableHeader(TBinaryWriter& w, const RTableFileHeader& h) {
    w.WriteShortString(h.headStr, 128);
    w.WriteShortString(h.name, 255);
    w.WriteZeros(3);
    w.Write(h.dataOffset);
    w.Write(h.pointsCount);
    w.Write(h.itemCount);
    w.Write(h.begTemp);
    w.Write(h.endTemp);
    w.Write(h.tableType);
    w.WriteShortString(h.measure, 10);
    w.WriteShortString(h.version, 5);
    w.WriteZeros(3);
    w.Write(h.interpType);
    w.Write(h.temperatureOffset);
    w.Write(h.useHeatTunePoint);
    w.WriteZeros(4);
    w.WriteExtended(h.area);
    w.WriteZeros(6);
    w.WriteExtended(h.dH);
    w.WriteZeros(6);
    w.WriteExtended(h.mass);
    w.WriteZeros(6);
    w.WriteExtended(h.transTemp);
    w.WriteZeros(2);
    w.Write(h.useMarginPoints);
}

RTableFileHeader ReadTableHeader(TBinaryReader& r) {
    RTableFileHeader h;
    h.headStr = r.ReadShortString(128);
    h.name = r.ReadShortString(255);
    r.Skip(3);
    h.dataOffset = r.Read<int32_t>();
    h.pointsCount = r.Read<int32_t>();
    h.itemCount = r.Read<int32_t>();
    h.begTemp = r.Read<int32_t>();
    h.endTemp = r.Read<int32_t>();
    h.tableType = r.Read<int32_t>();
    h.measure = r.ReadShortString(10);
    h.version = r.ReadShortString(5);
    r.Skip(3);
    h.interpType = r.Read<int32_t>();
    h.temperatureOffset = r.Read<int32_t>();
    h.useHeatTunePoint = r.Read<int32_t>();
    r.Skip(4);
    h.area = r.ReadExtended();
    r.Skip(6);
    h.dH = r.ReadExtended();
    r.Skip(6);
    h.mass = r.ReadExtended();
    r.Skip(6);
    h.transTemp = r.ReadExtended();
    r.Skip(2);
    h.useMarginPoints = r.Read<int32_t>();
    return h;
}

void WriteTableRecord(TBinaryWriter& w, TCalibrationTableType aKind, const TRefPoint& p) {
    switch (aKind) {
        case cttTemperature:
            w.Write<int32_t>(p.unitValue);
            w.Write<float>(p.realValue);
            w.WriteShortString(p.description, 255);
            break;
        case cttDiffTemperature:
            w.Write<float>(static_cast<float>(p.unitValue));
            w.Write<int32_t>(0);  // tempReading: not used
            w.Write<float>(p.diffTemperature);
            w.Write<int32_t>(CheckedCount(p.peakHeight));
            w.Write<float>(p.realValue);
            w.WriteShortString(p.description, 255);
            break;
        case cttHeat:
            w.Write<int32_t>(CheckedCount(p.area));
            w.WriteZeros(4);
            w.WriteExtended(p.weight);
            w.WriteZeros(6);
            w.WriteExtended(p.specificHeat);
            w.WriteZeros(6);
            w.WriteExtended(p.unitValue);
            w.WriteZeros(6);
            w.WriteExtended(p.realValue);
            w.WriteShortString(p.description, 255);
            w.WriteZeros(6);
            w.WriteExtended(0);  // rvalue: not used
            w.WriteZeros(6);
            break;
    }
}

TRefPoint ReadTableRecord(TBinaryReader& r, TCalibrationTableType aKind) {
    TRefPoint p;
    switch (aKind) {
        case cttTemperature:
            p.unitValue = r.Read<int32_t>();
            p.realValue = r.Read<float>();
            p.description = r.ReadShortString(255);
            break;
        case cttDiffTemperature:
            p.unitValue = RoundToInt32(r.Read<float>());
            r.Skip(4);  // tempReading
            p.diffTemperature = r.Read<float>();
            p.peakHeight = NonNegative(r.Read<int32_t>());
            p.realValue = r.Read<float>();
            p.description = r.ReadShortString(255);
            break;
        case cttHeat:
            p.area = NonNegative(r.Read<int32_t>());
            r.Skip(4);
            p.weight = static_cast<float>(r.ReadExtended());
            r.Skip(6);
            p.specificHeat = static_cast<float>(r.ReadExtended());
            r.Skip(6);
            p.unitValue = RoundToInt32(r.ReadExtended());
            r.Skip(6);
            p.realValue = static_cast<float>(r.ReadExtended());
            p.description = r.ReadShortString(255);
            r.Skip(6 + 10 + 6);  // rvalue and its padding
            break;
    }
    return p;
}

void CheckTableCounts(const RTableFileHeader& h, TCalibrationTableType aKind, size_t aFileSize) {
    if (h.pointsCount < 0 || h.pointsCount > TABLE_MAX_POINTS)
        throw EReadError("Invalid point count " + std::to_string(h.pointsCount));
    if (h.itemCount < 0) throw EReadError("Invalid item count " + std::to_string(h.itemCount));
    const uint64_t pointsEnd =
        TABLE_DATA_START + static_cast<uint64_t>(h.pointsCount) * TableRecordSize(aKind);
    if (pointsEnd > aFileSize) throw EReadError("Read beyond end of file");
    if (h.dataOffset < 0) throw EReadError("Invalid data offset " + std::to_string(h.dataOffset));
    const uint64_t itemsEnd = static_cast<uint64_t>(h.dataOffset) + static_cast<uint64_t>(h.itemCount) * 4;
    if (itemsEnd > aFileSize) throw EReadError("Read beyond end of file");
}

std::vector<float> ReadTableItems(std::string_view aFile, const RTableFileHeader& h) {
    TBinaryReader r(aFile);
    r.Seek(static_cast<size_t>(h.dataOffset));
    std::vector<float> items(static_cast<size_t>(h.itemCount));
    for (float& item : items)
        item = r.Read<float>();
    return items;
}

std::vector<std::string> ListTableFiles(const std::string& aFolder, TCalibrationTableType aKind) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(aFolder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string ext = it->path().extension().string();
        for (char& ch : ext)
            ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        if (ext != ".tbl" || !it->is_regular_file(ec)) continue;
        // Only the header is read: a folder of large files lists at once.
        std::ifstream in(it->path(), std::ios::binary);
        std::string head(TABLE_HEADER_SIZE, '\0');
        if (!in.read(head.data(), static_cast<std::streamsize>(head.size()))) continue;
        try {
            TBinaryReader reader(head);
            if ((ReadTableHeader(reader).tableType & 0xFF) == aKind)
                names.push_back(it->path().filename().string());
        } catch (const std::exception&) {
            // Not a table file after all.
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace kalvero
