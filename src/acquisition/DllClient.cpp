#include "acquisition/DllClient.h"

#include <dlfcn.h>
#include <strings.h>

#include <cstdint>
#include <vector>

#include "common/IniFile.h"
#include "system/RegistryUtil.h"

namespace kalvero {
namespace {

std::string ProductKey(const std::string& aCompany, const std::string& aProduct,
                       const std::string& aVersion) {
    return "SOFTWARE\\" + aCompany + "\\" + aProduct + "\\" + aVersion;
}

}  // namespace

void* TDllClient::LoadByPath(const std::string& szPath, const std::string& szExportName) {
    FreeDll();
    m_hLib = ::dlopen(szPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_hLib) return nullptr;
    m_pStaticResident = ::dlsym(m_hLib, szExportName.c_str());
    if (!m_pStaticResident) FreeDll();
    return m_pStaticResident;
}

void* TDllClient::LoadRegistered(const std::string& CompanyName, const std::string& ProductName,
                                 const std::string& VersionName, const std::string& ModuleName,
                                 const std::string& szExportName) {
    FreeDll();
    const std::string key = ProductKey(CompanyName, ProductName, VersionName) + "\\" + ModuleName;
    const std::string path = RegistryUtil::GetStringParam("path", key, "");
    if (path.empty()) return nullptr;
    return LoadByPath(path, szExportName.empty() ? "StaticFactory" : szExportName);
}

bool TDllClient::GetRegName(std::string& data, int32_t index, const std::string& CompanyName,
                            const std::string& ProductName, const std::string& VersionName) {
    if (index < 0) return false;
    // The store keeps one section per key path; the sub-keys are the first names below the key.
    const std::string prefix = ProductKey(CompanyName, ProductName, VersionName) + "\\";
    std::vector<std::string> names;
    try {
        const TIniFile store(RegistryUtil::MachineStoreFile());
        for (std::string section : store.Sections()) {
            section.erase(0, section.find_first_not_of('\\'));
            if (section.size() <= prefix.size() ||
                strncasecmp(section.c_str(), prefix.c_str(), prefix.size()) != 0) {
                continue;
            }
            const std::string name =
                section.substr(prefix.size(), section.find('\\', prefix.size()) - prefix.size());
            bool known = name.empty();
            for (const auto& n : names)
                known = known || strcasecmp(n.c_str(), name.c_str()) == 0;
            if (!known) names.push_back(name);
        }
    } catch (const std::exception&) {
        return false;
    }
    if (index >= static_cast<int32_t>(names.size())) return false;
    data = names[index];
    return true;
}

std::string TDllClient::GetInterfaceName(const std::string& CompanyName, const std::string& ProductName,
                                         const std::string& VersionName, const std::string& ModuleName) {
    return RegistryUtil::GetStringParam(
        "UIName", ProductKey(CompanyName, ProductName, VersionName) + "\\" + ModuleName, "");
}

void TDllClient::FreeDll() {
    if (m_hLib) ::dlclose(m_hLib);
    m_hLib = nullptr;
    m_pStaticResident = nullptr;
}

}  // namespace kalvero
