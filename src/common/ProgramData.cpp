#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "common/Config.h"
#include "common/Cp1251.h"
#include "common/DefaultFiles.h"
#include "common/FileUtil.h"

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace kalvero {
namespace {

std::string EnvOr(const char* aName, const std::string& aFallback) {
    const char* v = std::getenv(aName);
    return v && *v ? std::string(v) : aFallback;
}

std::string HomePath() {
    return EnvOr("HOME", "/tmp");
}

}  // namespace

std::string ApplicationTypeName(const std::string& aApplicationPath) {
    std::string folder = aApplicationPath;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return std::filesystem::path(folder).filename().string();
}

std::string ResolveProgramDataPath(const std::string& aApplicationTypeName, const std::string& aOverride) {
    if (!aOverride.empty()) return IncludeTrailingPathDelimiter(aOverride);
    const std::string fromEnv = EnvOr("KALVERO_DATA_DIR", "");
    if (!fromEnv.empty()) return IncludeTrailingPathDelimiter(fromEnv);
    const std::string xdg = EnvOr("XDG_DATA_HOME", HomePath() + "/.local/share");
    return IncludeTrailingPathDelimiter(xdg) + "Kalvero/" + aApplicationTypeName + "/";
}

bool PrepareProgramDataFolder(const std::string& aProgramDataPath) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::exists(aProgramDataPath, ec)) return false;
    fs::create_directories(aProgramDataPath, ec);
    if (ec) throw EFileError("Не удалось создать папку " + aProgramDataPath);
    fs::create_directories(fs::path(aProgramDataPath) / "calibration", ec);
    // The shipped settings are UTF-8 in the source tree; installations keep them in Windows-1251.
    // Files of subfolders (calibration tables) are binary and written as they are.
    for (const auto& [name, text] : defaults::EmbeddedFiles()) {
        const fs::path target = fs::path(aProgramDataPath) / name;
        if (name.find('/') == std::string::npos) {
            WriteFileAtomic(target, Utf8ToCp1251(text));
        } else {
            fs::create_directories(target.parent_path(), ec);
            WriteFileAtomic(target, text);
        }
    }
    return true;
}

std::string UserDocumentsPath() {
    const std::string fromEnv = EnvOr("XDG_DOCUMENTS_DIR", "");
    if (!fromEnv.empty()) return IncludeTrailingPathDelimiter(fromEnv);
    const std::string documents = HomePath() + "/Documents";
    std::error_code ec;
    return IncludeTrailingPathDelimiter(std::filesystem::is_directory(documents, ec) ? documents
                                                                                     : HomePath());
}

int32_t MeasureSystemSpeed() {
#if defined(__x86_64__) || defined(__i386__)
    // A 20 ms sample of the time-stamp counter against the steady clock is close enough for a
    // clock estimate and does not hold up the start.
    using clock = std::chrono::steady_clock;
    const auto t0 = clock::now();
    const unsigned long long c0 = __rdtsc();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const unsigned long long c1 = __rdtsc();
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(clock::now() - t0).count();
    if (us <= 0) return 1000;
    const double mhz = static_cast<double>(c1 - c0) / static_cast<double>(us);
    return mhz > 1000 && mhz < 1e6 ? static_cast<int32_t>(mhz + 0.5) : 1000;
#else
    return 1000;
#endif
}

}  // namespace kalvero
