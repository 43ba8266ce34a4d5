#pragma once
// A small settings store with the name/path/value operations of a system registry. Each store is
// an INI file with one section per key path (written with backslashes, e.g.
// "Software\Kalvero\bin") and one key per value name; key paths and names ignore letter case.
// The machine-wide store is "registry.ini" in the program-data folder; the per-user store (the
// functions ending in "L") is "registry.ini" in the per-user configuration folder + "Kalvero/".

#include <cstdint>
#include <stdexcept>
#include <string>

namespace kalvero {

class ERegistryException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ERegUtilException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace RegistryUtil {

// Where the two stores live. By default the machine-wide one follows the program-data folder
// (KALVERO_DATA_DIR or the per-user data folder) and the per-user one XDG_CONFIG_HOME.
void SetMachineStoreFile(const std::string& aFileName);
void SetUserStoreFile(const std::string& aFileName);
std::string MachineStoreFile();
std::string UserStoreFile();

bool IsKeyExist(const std::string& path);
bool RemoveKey(const std::string& path);
bool RenameKey(const std::string& oldpath, const std::string& newpath);
void CopyKey(const std::string& oldpath, const std::string& newpath);
bool IsParamExist(const std::string& name, const std::string& path);
bool IsParamExistL(const std::string& name, const std::string& path);
bool RemoveParam(const std::string& name, const std::string& path);
bool DeleteParam(const std::string& name, const std::string& path);

std::string GetStringParam(const std::string& name, const std::string& path);
std::string GetStringParam(const std::string& name, const std::string& path, const std::string& defValue);
void SetStringParam(const std::string& name, const std::string& path, const std::string& value);

int32_t GetIntegerParam(const std::string& name, const std::string& path);
int32_t GetIntegerParam(const std::string& name, const std::string& path, int32_t defValue);
int32_t GetIntegerParamL(const std::string& name, const std::string& path);
int32_t GetIntegerParamL(const std::string& name, const std::string& path, int32_t defValue);
void SetIntegerParam(const std::string& name, const std::string& path, int32_t value);
void SetIntegerParamL(const std::string& name, const std::string& path, int32_t value);

bool GetBoolParam(const std::string& name, const std::string& path);
bool GetBoolParam(const std::string& name, const std::string& path, bool defValue);
void SetBoolParam(const std::string& name, const std::string& path, bool value);

}  // namespace RegistryUtil
}  // namespace kalvero
