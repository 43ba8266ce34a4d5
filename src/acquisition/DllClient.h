#pragma once
// Finds a vendor driver module through the machine-wide settings store and loads it. A driver is
// registered under the key "SOFTWARE\<company>\<product>\<version>\<module>" with the value
// "path" (the shared library) and optionally "UIName" (its display name).

#include <cstdint>
#include <string>

namespace kalvero {

class TDllClient {
public:
    // Releasing the client leaves a loaded library in memory: the driver objects obtained from
    // it live on until the program ends.
    TDllClient() = default;
    TDllClient(const TDllClient&) = delete;
    TDllClient& operator=(const TDllClient&) = delete;

    // Loads the library (after unloading any other) and returns the export's address; null when
    // the library or the export is missing.
    void* LoadByPath(const std::string& szPath, const std::string& szExportName);
    // The same for the registered module; the export defaults to "StaticFactory".
    void* LoadRegistered(const std::string& CompanyName, const std::string& ProductName,
                         const std::string& VersionName, const std::string& ModuleName,
                         const std::string& szExportName = "");
    // The name of the index-th (0-based) module registered for the product; false past the last.
    bool GetRegName(std::string& data, int32_t index, const std::string& CompanyName,
                    const std::string& ProductName, const std::string& VersionName);
    // "UIName" of a registered module; empty when there is none.
    std::string GetInterfaceName(const std::string& CompanyName, const std::string& ProductName,
                                 const std::string& VersionName, const std::string& ModuleName);
    void FreeDll();

private:
    void* m_pStaticResident = nullptr;
    void* m_hLib = nullptr;
};

}  // namespace kalvero
