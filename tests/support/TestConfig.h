#pragma once
// A configuration loaded from a fresh program-data folder and installed as gConfig for the
// lifetime of the object; tests change its fields as they need.

#include <memory>

#include "common/Config.h"
#include "common/Globals.h"
#include "support/TempDir.h"

namespace kalvero::test {

// What the settings files of the fresh folder hold: no keys, so that every setting has its
// documented default (12-bit count windows, no calibration tables, the detection limits of 15,
// 100 and 2); or the files a first start writes (the shipped settings of the simulated 24-bit
// instrument).
enum class TSettingsFiles { Defaults, Shipped };

class TTestConfig {
public:
    explicit TTestConfig(TSettingsFiles aFiles = TSettingsFiles::Defaults)
        : fConfig(std::make_unique<TAppConfig>(fDir.Str() + "app", fDir.Str() + "data")) {
        if (aFiles == TSettingsFiles::Defaults) {
            WriteFileBytes(fConfig->SettingsFileName(), "");
            WriteFileBytes(fConfig->DevicesFileName(), "");
        }
        fConfig->LoadSettings();
        fPrevious = gConfig;
        gConfig = fConfig.get();
    }
    ~TTestConfig() { gConfig = fPrevious; }
    TTestConfig(const TTestConfig&) = delete;
    TTestConfig& operator=(const TTestConfig&) = delete;

    TAppConfig* operator->() { return fConfig.get(); }
    TAppConfig& operator*() { return *fConfig; }
    // A file name inside the test's own folder.
    std::string File(const std::string& aName) const { return fDir.Str() + aName; }
    const TTempDir& Dir() const { return fDir; }

private:
    TTempDir fDir;
    std::unique_ptr<TAppConfig> fConfig;
    TAppConfig* fPrevious = nullptr;
};

}  // namespace kalvero::test
