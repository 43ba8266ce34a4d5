#pragma once
// The 1432-byte header of an experiment file, field by field at fixed offsets, and the
// constants of the file format.

#include <cstdint>
#include <string>
#include <string_view>

namespace kalvero {

inline constexpr const char* DATAFILE_VER = "1.2";
inline constexpr const char* DATAFILE_VER_1_0 = "1.0";
inline constexpr const char* DATAFILE_VER_1_1 = "1.1";
inline constexpr const char* DATAFILE_VER_1_2 = "1.2";
inline constexpr const char* DATAFILE_TITLE = "Файл данных ДСК | DSC datafile";
inline constexpr size_t DATAFILE_HEADER_SIZE = 1432;
// Records of the older layout start at record 1000 of 8-byte records.
inline constexpr size_t DATAFILE_OLD_DATA_OFFSET = 8000;
inline constexpr size_t DATAFILE_RECORD_SIZE = 8;
// At most this many channel blocks are read from one file.
inline constexpr int DATAFILE_MAX_CHANNELS = 8;

struct TOldDtaFileHeader {
    std::string Title;                                           // 0: short string of 30
    std::string FileFormatVersion;                               // 31: short string of 5
    std::string AppVersion;                                      // 37: short string of 20
    std::string LaboratoryName;                                  // 58: short string of 100
    std::string ReservedStr;                                     // 159: short string of 96
    int32_t TempOffset = 0;                                      // 256
    std::string ExperimentDate;                                  // 260: short string of 255
    std::string SampleName;                                      // 516
    std::string OperatorName;                                    // 772
    std::string Comments;                                        // 1028
    int32_t BegYSel = 0, EndYSel = 0, BegXSel = 0, EndXSel = 0;  // 1284 ...
    int32_t EndY = 0, BegY = 0, BegX = 0, EndX = 0;              // 1300 ...
    int32_t ItemCount = 0;                                       // 1316
    uint32_t ScanEndPoint = 0;                                   // 1320
    float HeatSpeed = 0;                                         // 1324
    uint16_t Reserved3 = 0;                                      // 1328
    int32_t DiffTempScale = 0;                                   // 1332
    double BegDiffTempOffset = 0;                                // 1336: extended
    double BegTempOffset = 0;                                    // 1352: extended
    double TempRatio = 0;                                        // 1368: extended
    int32_t TempScale = 0;                                       // 1380
    double TimeRatio = 0;                                        // 1384: extended
    int32_t TimeScale = 0;                                       // 1396
    double Weight = 0;                                           // 1400
    std::string FileVersion;                                     // 1408: short string of 5
    int32_t BegTemp = 0, EndTemp = 0;                            // 1416, 1420
    int32_t AreaScale = 0;                                       // 1424
    int32_t NumberOfChannels = 0;                                // 1428
};

// Exactly DATAFILE_HEADER_SIZE bytes.
std::string EncodeHeader(const TOldDtaFileHeader& aHeader);
// Reads what there is; a shorter input leaves the rest of the header zero.
TOldDtaFileHeader DecodeHeader(std::string_view aBytes);

}  // namespace kalvero
