#include "FuzzSupport.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "common/Cp1251.h"
#include "common/Globals.h"
#include "common/UiHooks.h"
#include "import/TextDecoding.h"

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

namespace {

bool IsFinite(const std::vector<double>& aValues) {
    for (const double v : aValues)
        if (!std::isfinite(v)) return false;
    return true;
}

// What every imported run must be, whatever the file.
bool IsSound(const TImportedRun& r) {
    const size_t n = r.time.size();
    if (n == 0 || r.temperature.size() != n || r.signal.size() != n || r.rowsRead != n) return false;
    if (!r.segment.empty() && r.segment.size() != n) return false;
    for (size_t i = 1; i < n; ++i)
        if (!(r.time[i] > r.time[i - 1])) return false;
    if (!IsFinite(r.time) || !IsFinite(r.temperature) || !IsFinite(r.signal)) return false;
    const int columns = static_cast<int>(r.columns.size());
    if (columns > 1024 || r.temperatureColumn < 0 || r.temperatureColumn >= columns || r.signalColumn < 0 ||
        r.signalColumn >= columns || r.timeColumn >= columns || r.segmentColumn >= columns)
        return false;
    if (r.firstRows.size() > 20) return false;
    for (const std::string& w : r.warnings)
        if (!IsValidUtf8(w)) return false;
    for (const TImportedColumn& c : r.columns)
        if (!IsValidUtf8(c.name) || !IsValidUtf8(c.unit)) return false;
    return IsValidUtf8(r.sampleName) && IsValidUtf8(r.comment);
}

}  // namespace

int ImportWith(TImportedRun (*aReader)(const foreign::TImportInput&), const uint8_t* aData, size_t aSize) {
    const foreign::TForeignText text(std::string_view(reinterpret_cast<const char*>(aData), aSize));
    TImportOptions options;
    options.progress = [](uint64_t aDone, uint64_t aTotal) {
        if (aDone > aTotal) __builtin_trap();
        return true;
    };
    const foreign::TImportInput input{text.Text(), options, "fuzz.txt", text.EncodingName(), text.Notes()};
    try {
        if (!IsSound(aReader(input))) __builtin_trap();
    } catch (const EImportError&) {
    }
    return 0;
}

}  // namespace kalvero::fuzz
