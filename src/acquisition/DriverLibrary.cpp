#include "acquisition/DriverLibrary.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <vector>

#include "system/ProcessContext.h"

namespace kalvero {

std::string DriverFileName(const std::string& aDriverName) {
    std::string stem = aDriverName;
    const std::string dll = ".dll";
    if (stem.size() > dll.size()) {
        std::string tail = stem.substr(stem.size() - dll.size());
        for (char& c : tail)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (tail == dll) stem.erase(stem.size() - dll.size());
    }
    return "lib" + stem + ".so";
}

void* OpenDriverLibrary(const std::string& aDriverName, std::string& aError) {
    namespace fs = std::filesystem;
    const std::string file = DriverFileName(aDriverName);
    std::vector<fs::path> candidates;
    if (const char* path = std::getenv("KALVERO_DRIVER_PATH")) {
        std::istringstream folders(path);
        std::string folder;
        while (std::getline(folders, folder, ':'))
            if (!folder.empty()) candidates.push_back(fs::path(folder) / file);
    }
    const fs::path program = ExecutableFolder();
    candidates.push_back(program / file);
    candidates.push_back(program.parent_path().parent_path() / "lib" / file);

    std::error_code ec;
    std::string firstError;  // of a library that is there but does not load: the one to report
    for (const fs::path& candidate : candidates) {
        if (!fs::exists(candidate, ec)) continue;
        if (void* handle = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) return handle;
        if (const char* error = ::dlerror(); error && firstError.empty()) firstError = error;
    }
    if (void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL)) return handle;
    const char* error = ::dlerror();
    aError = !firstError.empty() ? firstError : error ? error : file + ": cannot open shared object file";
    return nullptr;
}

}  // namespace kalvero
