#include "system/ProcessContext.h"

#include <unistd.h>

#include <filesystem>

#include "calibration/GlobalTables.h"
#include "common/FileUtil.h"
#include "common/Globals.h"
#include "system/RegistryUtil.h"

namespace kalvero {

TProcessContext::TProcessContext(const std::string& aApplicationPath, const std::string& aProgramDataPath,
                                 const std::string& aModuleName) {
    fConfig = std::make_unique<TAppConfig>(aApplicationPath, aProgramDataPath);
    RegistryUtil::SetMachineStoreFile(fConfig->fProgramDataPath + "registry.ini");
    gConfig = fConfig.get();
    try {
        fConfig->LoadSettings();
    } catch (...) {
        gConfig = nullptr;
        throw;
    }
    fLogger = std::make_unique<TLogger>(aModuleName, fConfig->fProgramDataPath, fConfig->logLevel);
    gLogger = fLogger.get();
    try {
        CreateGlobalCalibrationTables(*fConfig);
    } catch (...) {
        FreeGlobalCalibrationTables();
        gLogger = nullptr;
        gConfig = nullptr;
        throw;
    }
}

TProcessContext::~TProcessContext() {
    FreeGlobalCalibrationTables();
    gLogger = nullptr;
    gConfig = nullptr;
}

std::string ExecutableFolder() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return IncludeTrailingPathDelimiter(std::filesystem::current_path().string());
    return IncludeTrailingPathDelimiter(exe.parent_path().string());
}

}  // namespace kalvero
