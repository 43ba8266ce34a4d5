#include "system/RegistryUtil.h"

#include <strings.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "common/Config.h"
#include "common/FileUtil.h"
#include "common/IniFile.h"

namespace kalvero::RegistryUtil {
namespace {

const char* const kReadError = "Ошибка при чтении ключа реестра";
const char* const kWriteError = "Ошибка при записи ключа реестра";

std::mutex gStoreMutex;
std::string gMachineStore;
std::string gUserStore;

enum class TRoot { Machine, User };

std::string StoreFile(TRoot aRoot) {
    std::lock_guard lock(gStoreMutex);
    if (aRoot == TRoot::Machine) {
        if (gMachineStore.empty()) return ResolveProgramDataPath("Kalvero") + "registry.ini";
        return gMachineStore;
    }
    if (!gUserStore.empty()) return gUserStore;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string base =
        xdg && *xdg ? std::string(xdg) : std::string(home && *home ? home : "/tmp") + "/.config";
    return IncludeTrailingPathDelimiter(base) + "Kalvero/registry.ini";
}

// Key paths are compared without regard to case and without surrounding backslashes.
std::string NormalizePath(const std::string& aPath) {
    size_t b = aPath.find_first_not_of('\\');
    if (b == std::string::npos) return {};
    size_t e = aPath.find_last_not_of('\\');
    return aPath.substr(b, e - b + 1);
}

bool SameKey(const std::string& a, const std::string& b) {
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

bool IsSubKey(const std::string& aSection, const std::string& aPath) {
    return aSection.size() > aPath.size() && aSection[aPath.size()] == '\\' &&
           strncasecmp(aSection.c_str(), aPath.c_str(), aPath.size()) == 0;
}

TIniFile OpenStore(TRoot aRoot) {
    return TIniFile(StoreFile(aRoot));
}

void SaveStore(const TIniFile& aIni) {
    std::error_code ec;
    std::filesystem::create_directories(aIni.FileName().parent_path(), ec);
    aIni.UpdateFile();
}

bool KeyExists(const TIniFile& aIni, const std::string& aPath) {
    const std::string path = NormalizePath(aPath);
    if (path.empty()) return true;  // the root
    for (const auto& s : aIni.Sections()) {
        if (SameKey(s, path) || IsSubKey(s, path)) return true;
    }
    return false;
}

bool ParamExists(TRoot aRoot, const std::string& name, const std::string& path) {
    try {
        return OpenStore(aRoot).ValueExists(NormalizePath(path), name);
    } catch (const std::exception&) {
        return false;
    }
}

// Reads a value that must exist; a missing key or value is a read error.
std::string ReadRequired(TRoot aRoot, const std::string& name, const std::string& path) {
    TIniFile ini = [&] {
        try {
            return OpenStore(aRoot);
        } catch (const std::exception&) {
            throw ERegistryException(kReadError);
        }
    }();
    const std::string key = NormalizePath(path);
    if (!KeyExists(ini, key) || !ini.ValueExists(key, name)) throw ERegistryException(kReadError);
    return ini.ReadString(key, name, "");
}

int32_t ReadInteger(TRoot aRoot, const std::string& name, const std::string& path) {
    int32_t v = 0;
    if (!TryStrToInt(ReadRequired(aRoot, name, path), v)) throw ERegistryException(kReadError);
    return v;
}

void Write(TRoot aRoot, const std::string& name, const std::string& path, const std::string& value) {
    try {
        TIniFile ini = OpenStore(aRoot);
        ini.WriteString(NormalizePath(path), name, value);
        SaveStore(ini);
    } catch (const std::exception&) {
        throw ERegistryException(kWriteError);
    }
}

}  // namespace

void SetMachineStoreFile(const std::string& aFileName) {
    std::lock_guard lock(gStoreMutex);
    gMachineStore = aFileName;
}

void SetUserStoreFile(const std::string& aFileName) {
    std::lock_guard lock(gStoreMutex);
    gUserStore = aFileName;
}

std::string MachineStoreFile() {
    return StoreFile(TRoot::Machine);
}
std::string UserStoreFile() {
    return StoreFile(TRoot::User);
}

bool IsKeyExist(const std::string& path) {
    try {
        return KeyExists(OpenStore(TRoot::Machine), path);
    } catch (const std::exception&) {
        return false;
    }
}

bool RemoveKey(const std::string& path) {
    try {
        TIniFile ini = OpenStore(TRoot::Machine);
        const std::string key = NormalizePath(path);
        if (key.empty() || !KeyExists(ini, key)) return false;
        for (const auto& s : ini.Sections()) {
            if (SameKey(s, key) || IsSubKey(s, key)) ini.EraseSection(s);
        }
        SaveStore(ini);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool RenameKey(const std::string& oldpath, const std::string& newpath) {
    try {
        TIniFile ini = OpenStore(TRoot::Machine);
        const std::string from = NormalizePath(oldpath), to = NormalizePath(newpath);
        if (from.empty() || !KeyExists(ini, from)) return false;
        // The key and its subkeys are copied; the old key stays where it is.
        for (const auto& s : ini.Sections()) {
            if (!SameKey(s, from) && !IsSubKey(s, from)) continue;
            const std::string target = to + s.substr(from.size());
            ini.CreateSection(target);
            for (const auto& k : ini.Keys(s))
                ini.WriteString(target, k, ini.ReadString(s, k, ""));
        }
        SaveStore(ini);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void CopyKey(const std::string& oldpath, const std::string& newpath) {
    if (!IsKeyExist(oldpath)) throw ERegUtilException("Раздел " + oldpath + " не существует");
    if (IsKeyExist(newpath)) throw ERegUtilException("Раздел " + newpath + " уже существует");
    RenameKey(oldpath, newpath);
}

bool IsParamExist(const std::string& name, const std::string& path) {
    return ParamExists(TRoot::Machine, name, path);
}

bool IsParamExistL(const std::string& name, const std::string& path) {
    return ParamExists(TRoot::User, name, path);
}

bool RemoveParam(const std::string& name, const std::string& path) {
    try {
        TIniFile ini = OpenStore(TRoot::Machine);
        const std::string key = NormalizePath(path);
        if (!ini.ValueExists(key, name)) return false;
        ini.DeleteKey(key, name);
        SaveStore(ini);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool DeleteParam(const std::string& name, const std::string& path) {
    return RemoveParam(name, path);
}

std::string GetStringParam(const std::string& name, const std::string& path) {
    return ReadRequired(TRoot::Machine, name, path);
}

std::string GetStringParam(const std::string& name, const std::string& path, const std::string& defValue) {
    try {
        const std::string v = ReadRequired(TRoot::Machine, name, path);
        return v.empty() ? defValue : v;
    } catch (const std::exception&) {
        return defValue;
    }
}

void SetStringParam(const std::string& name, const std::string& path, const std::string& value) {
    Write(TRoot::Machine, name, path, value);
}

int32_t GetIntegerParam(const std::string& name, const std::string& path) {
    return ReadInteger(TRoot::Machine, name, path);
}

int32_t GetIntegerParam(const std::string& name, const std::string& path, int32_t defValue) {
    try {
        return ReadInteger(TRoot::Machine, name, path);
    } catch (const std::exception&) {
        return defValue;
    }
}

int32_t GetIntegerParamL(const std::string& name, const std::string& path) {
    return ReadInteger(TRoot::User, name, path);
}

int32_t GetIntegerParamL(const std::string& name, const std::string& path, int32_t defValue) {
    if (!IsParamExistL(name, path)) return defValue;
    return ReadInteger(TRoot::User, name, path);
}

void SetIntegerParam(const std::string& name, const std::string& path, int32_t value) {
    Write(TRoot::Machine, name, path, std::to_string(value));
}

void SetIntegerParamL(const std::string& name, const std::string& path, int32_t value) {
    Write(TRoot::User, name, path, std::to_string(value));
}

bool GetBoolParam(const std::string& name, const std::string& path) {
    return ReadInteger(TRoot::Machine, name, path) != 0;
}

bool GetBoolParam(const std::string& name, const std::string& path, bool defValue) {
    return GetIntegerParam(name, path, defValue ? 1 : 0) != 0;
}

void SetBoolParam(const std::string& name, const std::string& path, bool value) {
    Write(TRoot::Machine, name, path, value ? "1" : "0");
}

}  // namespace kalvero::RegistryUtil
