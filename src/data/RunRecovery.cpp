#include "data/RunRecovery.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>

#include "common/BinaryIO.h"
#include "common/FileUtil.h"
#include "common/Globals.h"
#include "common/Logger.h"
#include "data/DataClass.h"

namespace kalvero {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr char kMagic[] = "KALVREC1";
constexpr size_t kMagicSize = 8;
constexpr const char* kExtension = ".krec";
constexpr const char* kClassName = "TRunRecovery";

// The recovery files this process holds: open and locked, so that no other process (and no
// start-up of another instance) takes them for lost runs.
struct TEntry {
    std::string file;
    int fd = -1;
    bool recording = false;
};

std::mutex gRegistryLock;
std::map<uint32_t, TEntry>& Registry() {
    static std::map<uint32_t, TEntry> registry;
    return registry;
}

void Log(const std::string& aText) {
    if (gLogger) gLogger->Error(kClassName, aText);
}

std::string RecoveryFolder(const std::string& aProgramDataPath) {
    return IncludeTrailingPathDelimiter(aProgramDataPath) + "recovery/";
}

bool WriteAll(int aFd, const char* aData, size_t aSize) {
    while (aSize > 0) {
        const ssize_t n = ::write(aFd, aData, aSize);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        aData += n, aSize -= static_cast<size_t>(n);
    }
    return true;
}

void SyncFolder(const std::string& aFolder) {
    const int dir = ::open(aFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return;
    ::fsync(dir);
    ::close(dir);
}

// Little-endian, whatever the machine.
void Put(std::vector<char>& aOut, int32_t aValue) {
    const auto v = static_cast<uint32_t>(aValue);
    const char bytes[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                           static_cast<char>(v >> 24)};
    aOut.insert(aOut.end(), bytes, bytes + 4);
}

json Describe(const TDataClass& d) {
    json channels = json::array();
    for (const TChannelDescriptor& c : d.descriptors) {
        channels.push_back({{"name", c.name},
                            {"type", c.channelType},
                            {"dtColor", c.diffTempCurveColor},
                            {"tColor", c.tempCurveColor},
                            {"visible", c.visible},
                            {"scanEnd", c.fScanEndPoint}});
    }
    return {{"fileName", d.fFileName},
            {"dateCreate", d.fDateCreate},
            {"sampleName", d.fSampleName},
            {"operatorName", d.fOperatorName},
            {"laboratoryName", d.fLaboratoryName},
            {"description", d.fDescription},
            {"sampleWeight", d.fSampleWeight},
            {"heatSpeed", d.fHeatSpeed},
            {"frequency", d.frequency},
            {"timeScale", d.timeScale},
            {"tempScale", d.tempScale},
            {"diffTempScale", d.diffTempScale},
            {"areaScale", d.areaScale},
            {"channels", channels},
            {"firstScan", d.fFirstScanChannelNo},
            {"lastScan", d.fLastScanChannelNo},
            {"started", Now()}};
}

// A recovery file read back: its description, its base and where the records begin.
struct TParsed {
    json meta;
    std::string_view base;
    size_t recordsAt = 0;
    size_t recordSize = 0;
    uint32_t records = 0;
};

TParsed Parse(std::string_view aBytes) {
    TBinaryReader r(aBytes);
    if (r.Size() < kMagicSize || r.ReadBytes(kMagicSize) != std::string_view(kMagic, kMagicSize))
        throw ERecoveryException("not a recovery file");
    TParsed p;
    const auto metaSize = r.Read<uint32_t>();
    p.meta = json::parse(r.ReadBytes(metaSize));
    const auto baseSize = r.Read<uint64_t>();
    if (baseSize > r.Remaining()) throw ERecoveryException("the base is cut short");
    p.base = r.ReadBytes(static_cast<size_t>(baseSize));
    const int first = p.meta.at("firstScan"), last = p.meta.at("lastScan");
    const size_t channels = p.meta.at("channels").size();
    if (first < 0 || last < first || static_cast<size_t>(last) >= channels)
        throw ERecoveryException("wrong scanned channels");
    p.recordSize = static_cast<size_t>(last - first + 1) * 8;
    p.recordsAt = r.Position();
    p.records = static_cast<uint32_t>(std::min<size_t>(r.Remaining() / p.recordSize, INT32_MAX));
    return p;
}

// Opens a recovery file and takes it for this process; -1 when another holds it.
int OpenLocked(const std::string& aFile) {
    const int fd = ::open(aFile.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void RemoveEntry(std::map<uint32_t, TEntry>::iterator aEntry) {
    std::error_code ec;
    fs::remove(aEntry->second.file, ec);
    if (aEntry->second.fd >= 0) ::close(aEntry->second.fd);
    Registry().erase(aEntry);
}

}  // namespace

TRunRecovery::TRunRecovery(const std::string& aProgramDataPath, const TDataClass& aExperiment, bool aWithBase)
    : fFirst(aExperiment.fFirstScanChannelNo), fLast(aExperiment.fLastScanChannelNo) {
    const std::string folder = RecoveryFolder(aProgramDataPath);
    std::error_code ec;
    fs::create_directories(folder, ec);
    fFileName = folder + "run-" + std::to_string(::getpid()) + "-" + std::to_string(aExperiment.fInstanceId) +
                "-" + std::to_string(static_cast<int64_t>(Now() * 86400000.0)) + kExtension;
    fFd = ::open(fFileName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fFd < 0 || ::flock(fFd, LOCK_EX | LOCK_NB) != 0)
        throw ERecoveryException("Не удалось создать файл восстановления " + fFileName + ": " +
                                 std::strerror(errno));

    const std::string meta = Describe(aExperiment).dump();
    TBinaryWriter head;
    head.WriteBytes(std::string_view(kMagic, kMagicSize));
    head.Write<uint32_t>(static_cast<uint32_t>(meta.size()));
    head.WriteBytes(meta);
    std::vector<char> base;
    if (aWithBase) {
        const int items = aExperiment.GetItemCount(), channels = aExperiment.GetChannelCount();
        Put(base, items);
        Put(base, channels);
        base.reserve(8 + static_cast<size_t>(items) * channels * 8);
        for (int i = 0; i < items; ++i)
            for (int ch = 0; ch < channels; ++ch)
                Put(base, aExperiment.items[i][ch].t), Put(base, aExperiment.items[i][ch].dt);
    }
    head.Write<uint64_t>(base.size());
    if (!WriteAll(fFd, head.Data().data(), head.Size()) || !WriteAll(fFd, base.data(), base.size()) ||
        ::fdatasync(fFd) != 0) {
        ::close(fFd);
        fs::remove(fFileName, ec);
        throw ERecoveryException("Не удалось записать файл восстановления " + fFileName + ": " +
                                 std::strerror(errno));
    }
    SyncFolder(folder);
    std::lock_guard lock(gRegistryLock);
    // A run that starts again into the same experiment starts a new file; the old one goes.
    if (auto old = Registry().find(aExperiment.fInstanceId); old != Registry().end()) RemoveEntry(old);
    Registry()[aExperiment.fInstanceId] = TEntry{fFileName, fFd, true};
}

TRunRecovery::~TRunRecovery() {
    Finish();
}

void TRunRecovery::Take(const TDataClass& aExperiment, uint32_t aItems) {
    if (fFailed) return;
    const uint32_t end = std::min<uint32_t>(aItems, static_cast<uint32_t>(aExperiment.GetItemCount()));
    const int last = std::min(fLast, aExperiment.GetChannelCount() - 1);
    for (uint32_t i = fTaken; i < end; ++i) {
        for (int ch = fFirst; ch <= fLast; ++ch) {
            // A channel that went away (never during a run) is written as zeros: records keep their size.
            const TItem s = ch <= last ? aExperiment.items[i][ch] : TItem{};
            Put(fPending, s.t);
            Put(fPending, s.dt);
        }
    }
    fTaken = std::max(fTaken, end);
}

void TRunRecovery::Write(bool aDurable) {
    if (fFailed || fFd < 0) return;
    const bool ok = WriteAll(fFd, fPending.data(), fPending.size()) && (!aDurable || ::fdatasync(fFd) == 0);
    fPending.clear();
    if (!ok) {
        fFailed = true;
        Log("Запись файла восстановления " + fFileName + " прервана: " + std::strerror(errno));
    }
}

void TRunRecovery::Finish() {
    if (fFd < 0) return;
    Write(true);
    std::lock_guard lock(gRegistryLock);
    for (auto& [id, entry] : Registry())
        if (entry.file == fFileName) entry.recording = false;
    fFd = -1;  // the registry keeps the descriptor (and the lock) until the file goes
}

std::vector<RRecoveredRun> FindRecoveredRuns(const std::string& aProgramDataPath) {
    std::vector<RRecoveredRun> runs;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(RecoveryFolder(aProgramDataPath), ec)) {
        if (entry.path().extension() != kExtension) continue;
        const std::string file = entry.path().string();
        const int fd = OpenLocked(file);  // held by a live run of this or another process
        if (fd < 0) continue;
        try {
            const std::string bytes = ReadWholeFile(file);
            const TParsed p = Parse(bytes);
            RRecoveredRun run;
            run.recoveryFile = file;
            run.fileName = p.meta.value("fileName", "");
            run.items = p.records;
            run.frequency = p.meta.value("frequency", 0.0f);
            run.started = p.meta.value("started", 0.0);
            if (run.items == 0 && p.base.empty()) {
                fs::remove(file, ec);  // a run that stopped before its first sample left nothing
            } else {
                runs.push_back(run);
            }
        } catch (const std::exception& e) {
            Log("Файл восстановления " + file + " не прочитан: " + e.what());
        }
        ::close(fd);
    }
    std::sort(runs.begin(), runs.end(),
              [](const RRecoveredRun& a, const RRecoveredRun& b) { return a.started < b.started; });
    return runs;
}

void LoadRecoveredRun(const RRecoveredRun& aRun, TDataClass& aTarget) {
    const int fd = OpenLocked(aRun.recoveryFile);
    if (fd < 0)
        throw ERecoveryException("Файл восстановления " + aRun.recoveryFile + " занят другой программой");
    try {
        const std::string bytes = ReadWholeFile(aRun.recoveryFile);
        const TParsed p = Parse(bytes);
        const json& m = p.meta;
        const json& channels = m.at("channels");
        TBinaryReader base(p.base);
        const int32_t baseItems = p.base.empty() ? 0 : base.Read<int32_t>();
        const int32_t baseChannels = p.base.empty() ? 0 : base.Read<int32_t>();
        if (baseItems < 0 || baseChannels < 0 ||
            static_cast<uint64_t>(baseItems) * static_cast<uint64_t>(baseChannels) * 8 > base.Remaining())
            throw ERecoveryException("the base is damaged");

        aTarget.SetNumChannels(static_cast<int>(channels.size()));
        aTarget.frequency = m.at("frequency");
        if (!(aTarget.frequency > 0)) throw ERecoveryException("no sampling rate");
        aTarget.fPeriod = 1000.0L / aTarget.frequency;
        aTarget.SetItemsLength(std::max<int>({baseItems, static_cast<int>(p.records), 1}), true);
        for (size_t ch = 0; ch < channels.size(); ++ch) {
            const json& c = channels[ch];
            TChannelDescriptor& d = aTarget.descriptors[ch];
            d.name = c.value("name", "");
            d.channelType = static_cast<TDataChannelType>(c.value("type", 0));
            d.diffTempCurveColor = c.value("dtColor", 0u);
            d.tempCurveColor = c.value("tColor", 0u);
            d.visible = c.value("visible", true);
            d.fScanEndPoint = c.value("scanEnd", 0);
        }
        for (int32_t i = 0; i < baseItems; ++i)
            for (int32_t ch = 0; ch < baseChannels; ++ch) {
                const int32_t t = base.Read<int32_t>(), dt = base.Read<int32_t>();
                if (ch < aTarget.GetChannelCount()) aTarget.items[i][ch].t = t, aTarget.items[i][ch].dt = dt;
            }
        const int first = m.at("firstScan"), last = m.at("lastScan");
        TBinaryReader records(std::string_view(bytes).substr(p.recordsAt, size_t{p.records} * p.recordSize));
        for (uint32_t i = 0; i < p.records; ++i)
            for (int ch = first; ch <= last; ++ch) {
                aTarget.items[i][ch].t = records.Read<int32_t>();
                aTarget.items[i][ch].dt = records.Read<int32_t>();
            }
        for (int ch = first; ch <= last; ++ch)
            aTarget.descriptors[ch].fScanEndPoint = static_cast<int32_t>(p.records) - 1;
        aTarget.fFileName = m.value("fileName", "");
        aTarget.fDateCreate = m.value("dateCreate", Now());
        aTarget.fSampleName = m.value("sampleName", "");
        aTarget.fOperatorName = m.value("operatorName", "");
        aTarget.fLaboratoryName = m.value("laboratoryName", "");
        aTarget.fDescription = m.value("description", "");
        aTarget.fSampleWeight = m.value("sampleWeight", 0.0);
        aTarget.fHeatSpeed = m.value("heatSpeed", 0.0f);
        aTarget.timeScale = static_cast<TTimeScale>(m.value("timeScale", 1));
        aTarget.tempScale = static_cast<TTempScale>(m.value("tempScale", 0));
        aTarget.diffTempScale = static_cast<TDiffTempScale>(m.value("diffTempScale", 0));
        aTarget.areaScale = static_cast<TAreaScale>(m.value("areaScale", 0));
        aTarget.fFirstScanChannelNo = static_cast<uint8_t>(first);
        aTarget.fLastScanChannelNo = static_cast<uint8_t>(last);
        aTarget.fWasFirstScan = true;
        aTarget.FillTempValues();
        aTarget.fWasSaved = false;
        aTarget.fHasUnsavedChanges = true;
    } catch (const ERecoveryException&) {
        ::close(fd);
        throw;
    } catch (const std::exception& e) {
        ::close(fd);
        throw ERecoveryException("Файл восстановления " + aRun.recoveryFile + " повреждён: " + e.what());
    }
    std::lock_guard lock(gRegistryLock);
    Registry()[aTarget.fInstanceId] = TEntry{aRun.recoveryFile, fd, false};
}

void DiscardRecovery(const TDataClass* aExperiment) {
    if (!aExperiment) return;
    std::lock_guard lock(gRegistryLock);
    const auto it = Registry().find(aExperiment->fInstanceId);
    if (it != Registry().end() && !it->second.recording) RemoveEntry(it);
}

void ExperimentSaved(const TDataClass* aExperiment) {
    DiscardRecovery(aExperiment);
}

void DiscardRecoveredRun(const RRecoveredRun& aRun) {
    const int fd = OpenLocked(aRun.recoveryFile);
    if (fd < 0) return;
    std::error_code ec;
    fs::remove(aRun.recoveryFile, ec);
    ::close(fd);
}

}  // namespace kalvero
