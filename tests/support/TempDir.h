#pragma once
// A fresh folder per test, removed afterwards.

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace kalvero::test {

class TTempDir {
public:
    TTempDir() {
        std::random_device rd;
        std::ostringstream name;
        name << "kalvero-test-" << std::hex << rd() << rd();
        fPath = std::filesystem::temp_directory_path() / name.str();
        std::filesystem::create_directories(fPath);
    }
    ~TTempDir() {
        std::error_code ec;
        std::filesystem::remove_all(fPath, ec);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::filesystem::path& Path() const { return fPath; }
    // The folder as the system keeps folder names: with a trailing separator.
    std::string Str() const { return fPath.string() + "/"; }

private:
    std::filesystem::path fPath;
};

inline std::string ReadFileBytes(const std::filesystem::path& aPath) {
    std::ifstream in(aPath, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteFileBytes(const std::filesystem::path& aPath, const std::string& aBytes) {
    std::ofstream out(aPath, std::ios::binary | std::ios::trunc);
    out << aBytes;
}

}  // namespace kalvero::test
