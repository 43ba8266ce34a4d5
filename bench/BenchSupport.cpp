#include "BenchSupport.h"

#include <unistd.h>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "common/BinaryIO.h"
#include "common/FileUtil.h"
#include "data/DataFileHeader.h"

namespace kalvero::bench {

TBenchEnvironment::TBenchEnvironment() {
    // KALVERO_BENCH_DIR keeps the generated files, so that peers can be measured on the same data.
    const char* keep = std::getenv("KALVERO_BENCH_DIR");
    fKeep = keep && *keep;
    fFolder = fKeep ? std::string(keep) + "/"
                    : (std::filesystem::temp_directory_path() / ("kalvero-bench-" + std::to_string(getpid())))
                              .string() +
                          "/";
    std::filesystem::create_directories(fFolder);
    fConfig = std::make_unique<TAppConfig>(fFolder + "app", fFolder + "data");
    fConfig->LoadSettings();
    fConfig->tMaxADCValue = 1 << 24;  // the synthetic readings use a 24-bit range
    fConfig->dTMaxADCValue = 1 << 24;
    fConfig->dTMinADCValue = -(1 << 24);
    gConfig = fConfig.get();
}

TBenchEnvironment::~TBenchEnvironment() {
    gConfig = nullptr;
    std::error_code ec;
    if (!fKeep) std::filesystem::remove_all(fFolder, ec);
}

TBenchEnvironment& Environment() {
    static TBenchEnvironment environment;
    return environment;
}

std::string ImportCsvFile(size_t aRows) {
    const std::string name = Environment().Folder() + "import" + std::to_string(aRows) + ".csv";
    if (std::filesystem::exists(name)) return name;
    WriteFileAtomic(name, [aRows](const TByteSink& aSink) {
        std::string piece = "Time (s),Temperature (°C),Heat Flow (mW)\n";
        char cell[32];
        const auto add = [&](double aValue, int aDecimals, char aEnd) {
            const auto r =
                std::to_chars(cell, cell + sizeof cell, aValue, std::chars_format::fixed, aDecimals);
            piece.append(cell, r.ptr);
            piece += aEnd;
        };
        for (size_t i = 0; i < aRows; ++i) {
            const double t = 0.1 * static_cast<double>(i), temp = 30 + t / 6;
            const double z = (temp - 156.6) / 0.8;
            add(t, 1, ',');
            add(temp, 4, ',');
            add(-0.5 + 0.004 * temp + 25 * std::exp(-0.5 * z * z), 6, '\n');
            if (piece.size() > (1 << 20)) aSink(piece), piece.clear();
        }
        aSink(piece);
    });
    return name;
}

std::string ExperimentFile(size_t aItems) {
    const std::string name = Environment().Folder() + "run" + std::to_string(aItems) + ".dsc";
    if (std::filesystem::exists(name)) return name;
    TOldDtaFileHeader h;
    h.Title = DATAFILE_TITLE;
    h.FileVersion = DATAFILE_VER;
    h.ItemCount = static_cast<int32_t>(aItems);
    h.NumberOfChannels = 1;
    h.TimeRatio = 10;
    h.EndX = static_cast<int32_t>(aItems) - 1;
    TBinaryWriter w;
    w.Data() = EncodeHeader(h);
    w.Data().reserve(w.Size() + aItems * 8);
    for (size_t i = 0; i < aItems; ++i) {
        const double x = static_cast<double>(i) / static_cast<double>(aItems);
        w.Write<int32_t>(static_cast<int32_t>(1000 + x * 3000000));
        w.Write<int32_t>(static_cast<int32_t>(2048 + 500 * std::exp(-std::pow((x - 0.5) * 40, 2))));
    }
    WriteFileAtomic(name, w.Data());
    return name;
}

}  // namespace kalvero::bench
