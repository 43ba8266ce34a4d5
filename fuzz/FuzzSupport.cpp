#include "FuzzSupport.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "common/Globals.h"
#include "common/UiHooks.h"

namespace kalvero::fuzz {
namespace {

// Boxes are swallowed and every question is answered No/Cancel, as the headless default does.
class TSilentUiHooks : public TUiHooks {
public:
    void MsgBox(const std::string&) override {}
    void ErrBox(const std::string&) override {}
    bool MsgBoxYN(const std::string&) override { return false; }
    bool MsgBoxOC(const std::string&) override { return false; }
    void ProgressStart(const std::string&, int) override {}
    void ProgressStep(int) override {}
    void ProgressFinish() override {}
    void BeginBusy() override {}
    void EndBusy() override {}
};

std::string MakeScratchFolder() {
    SetUiHooks(std::make_shared<TSilentUiHooks>());
    // A memory file system when there is one: the readers open real files for every input.
    const std::filesystem::path base =
        std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
    const std::filesystem::path dir = base / ("kalvero-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    static const std::filesystem::path removed = dir;
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(removed, ec);
    });
    return dir.string() + "/";
}

}  // namespace

const std::string& ScratchFolder() {
    static const std::string folder = MakeScratchFolder();
    return folder;
}

TAppConfig& Config() {
    static std::unique_ptr<TAppConfig> config = [] {
        auto c = std::make_unique<TAppConfig>(ScratchFolder() + "app", ScratchFolder() + "data");
        c->LoadSettings();
        gConfig = c.get();
        return c;
    }();
    return *config;
}

void WriteBytes(const std::string& aPath, const uint8_t* aData, size_t aSize) {
    std::ofstream out(aPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(aData), static_cast<std::streamsize>(aSize));
}

std::string WriteInput(const std::string& aName, const uint8_t* aData, size_t aSize) {
    const std::string name = ScratchFolder() + aName;
    WriteBytes(name, aData, aSize);
    return name;
}

}  // namespace kalvero::fuzz
