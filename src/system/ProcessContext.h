#pragma once
// The process-wide objects of a program run: the configuration read from the program-data
// folder, the log engine, the settings stores and the three calibration tables. Creating a
// context makes them reachable through gConfig, gLogger and the table globals; destroying it
// frees them and clears the globals.

#include <memory>
#include <string>

#include "common/Config.h"
#include "common/Logger.h"

namespace kalvero {

class TProcessContext {
public:
    // aApplicationPath: the program's folder; aProgramDataPath: the program-data folder to use
    // instead of KALVERO_DATA_DIR or the per-user one (empty: none). Loads the settings (a first
    // start creates the folder with the default files), opens the log of aModuleName and creates
    // the calibration tables (CreateGlobalCalibrationTables).
    TProcessContext(const std::string& aApplicationPath, const std::string& aProgramDataPath,
                    const std::string& aModuleName);
    ~TProcessContext();
    TProcessContext(const TProcessContext&) = delete;
    TProcessContext& operator=(const TProcessContext&) = delete;

    TAppConfig& Config() { return *fConfig; }
    TLogger& Logger() { return *fLogger; }

private:
    std::unique_ptr<TAppConfig> fConfig;
    std::unique_ptr<TLogger> fLogger;
};

// Folder (with trailing "/") of the running executable.
std::string ExecutableFolder();

}  // namespace kalvero
