#pragma once
// A configuration loaded from a fresh program-data folder and installed as gConfig for the
// lifetime of the object; tests change its fields as they need.

#include <memory>

#include "common/Config.h"
#include "common/Globals.h"
#include "support/TempDir.h"

namespace kalvero::test {

class TTestConfig {
public:
    TTestConfig() : fConfig(std::make_unique<TAppConfig>(fDir.Str() + "app", fDir.Str() + "data")) {
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
