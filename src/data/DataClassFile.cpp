// Experiment files: the 1432-byte header followed by the raw readings of every channel, the
// older layout with records from byte 8000, and headerless files of 16-bit readings.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <future>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "common/BinaryIO.h"
#include "common/Cp1251.h"
#include "common/FileUtil.h"
#include "common/Globals.h"
#include "common/Logger.h"
#include "common/MathProcs.h"
#include "common/MsgBoxes.h"
#include "common/UiHooks.h"
#include "data/DataClass.h"
#include "data/DataFileExtension.h"
#include "data/DataFileHeader.h"
#include "data/ExperimentExtras.h"
#include "data/RunRecovery.h"
#include "data/Version.h"

namespace kalvero {
namespace {

std::string BaseName(const std::string& aFileName) {
    return std::filesystem::path(aFileName).filename().string();
}

bool IsCurrentLayout(const std::string& aVersion) {
    return aVersion == DATAFILE_VER_1_0 || aVersion == DATAFILE_VER_1_1 || aVersion == DATAFILE_VER_1_2;
}

[[noreturn]] void Damaged(const std::string& aFileName, const std::string& aWhat) {
    throw EDataClassException("Файл " + aFileName + " повреждён или не является файлом ДСК: " + aWhat);
}

// Progress of a long read: the bar moves in steps of at least one per cent.
class TLoadProgress {
public:
    explicit TLoadProgress(size_t aItems) : fMax(std::max<size_t>(1, (aItems + 50) / 100)) {
        UiHooks().ProgressStart("Загрузка файла", static_cast<int>(std::min<size_t>(fMax, INT32_MAX)));
    }
    ~TLoadProgress() { UiHooks().ProgressFinish(); }
    void At(size_t aItem) {
        const size_t pos = aItem / 100;
        if (pos >= fNext) {
            UiHooks().ProgressStep(static_cast<int>(std::min<size_t>(pos, INT32_MAX)));
            fNext = pos + std::max<size_t>(1, fMax / 100);
        }
    }

private:
    size_t fMax;
    size_t fNext = 0;
};

// Items read and calibrated at a time: 64 KB of samples, which stay in the cache in between.
constexpr size_t kLoadPiece = 4096;

int32_t ReadInt32(const char* p) {
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

}  // namespace

void TDataClass::SaveToFile(const std::string& aFileName, bool aSaveOnlySelected) {
    const TAppConfig& c = DataConfig();
    int32_t first = 0, count = GetItemCount();
    if (aSaveOnlySelected) {
        // Only the part of the selection that exists is written.
        first = std::clamp(std::min(begXSel, endXSel), 0, GetItemCount());
        const int32_t last = std::clamp(std::max(begXSel, endXSel), 0, GetItemCount());
        count = last - first;
    }
    if (count <= 0) throw EDataClassException("Нет данных для сохранения в файл " + aFileName);

    TOldDtaFileHeader h;
    h.Title = DATAFILE_TITLE;
    h.AppVersion = Utf8Left("|" + ProductVersion(), 20);
    h.LaboratoryName = Utf8Left("|" + fLaboratoryName, 100);
    h.ExperimentDate = DateTimeToStr(fDateCreate);
    h.SampleName = fSampleName;
    h.OperatorName = fOperatorName;
    h.Comments = fDescription;
    h.Weight = fSampleWeight;
    h.BegYSel = begYSel, h.EndYSel = endYSel, h.BegXSel = begXSel, h.EndXSel = endXSel;
    h.EndY = endY, h.BegY = begY;
    h.BegX = aSaveOnlySelected ? begXSel : begX;
    h.EndX = aSaveOnlySelected ? endXSel : endX;
    h.ItemCount = count;
    h.ScanEndPoint = static_cast<uint32_t>(endX);
    h.DiffTempScale = diffTempScale;
    h.TempScale = tempScale;
    h.TimeScale = timeScale;
    h.AreaScale = areaScale;
    h.TimeRatio = frequency;
    h.FileVersion = IsPhysical() ? DATAFILE_VER_2_0 : DATAFILE_VER;
    h.BegTemp = c.tMinValue;
    h.EndTemp = c.tMaxValue;
    h.NumberOfChannels = GetChannelCount();
    h.HeatSpeed = fHeatSpeed;

    // Only version "1.2" of the settings stores every channel; older installations read
    // channel 0 alone and still see how many channels the experiment had. A physical experiment's
    // file is read by this program alone and keeps every channel.
    const int blocks = IsPhysical() || c.fileVersion == DATAFILE_VER_1_2 ? GetChannelCount() : 1;
    const std::string extension = HasExtras(*this) ? EncodeExtensionBlock(ExtrasToJson(*this, count)) : "";
    const uint64_t fileSize = DATAFILE_HEADER_SIZE +
                              uint64_t{DATAFILE_RECORD_SIZE} * static_cast<uint64_t>(count) * blocks +
                              extension.size();
    if (IsPhysical()) h.ItemCount = DecoyItemCount(fileSize);
    // Records go out in pieces of 256 K records, not a copy of the whole record. Each piece is
    // gathered out of the samples on a second thread while the one before it is written: the
    // gathering reads 16 bytes per sample, the writing copies into the system's cache, and on two
    // cores they take no longer than the longer of them.
    struct RPiece {
        int channel;
        int32_t from, to;
    };
    // The first piece is small: the disk gets something to do at once.
    constexpr int32_t kFirstPiece = 32768, kPiece = 262144;
    std::vector<RPiece> pieces;
    for (int ch = 0; ch < blocks; ++ch)
        for (int32_t from = first; from < first + count;) {
            const int32_t size = pieces.empty() ? kFirstPiece : kPiece;
            const int32_t to = static_cast<int32_t>(std::min<int64_t>(first + count, int64_t{from} + size));
            pieces.push_back({ch, from, to});
            from = to;
        }
    auto gather = [this](const RPiece& aPiece, std::vector<char>& aBuffer) {
        aBuffer.resize(static_cast<size_t>(aPiece.to - aPiece.from) * DATAFILE_RECORD_SIZE);
        // A record is the two readings as they stand at the start of the sample.
        static_assert(DATAFILE_RECORD_SIZE == 8 && offsetof(TItem, t) == 0 && offsetof(TItem, dt) == 4);
        const size_t stride = items.ChannelCount();
        const TItem* sample = items[static_cast<size_t>(aPiece.from)] + aPiece.channel;
        char* out = aBuffer.data();
        int32_t i = aPiece.from;
#ifdef __SSE2__
        // One channel: two samples give one 16-byte store of two records.
        if (stride == 1)
            for (; i + 1 < aPiece.to; i += 2, sample += 2, out += 2 * DATAFILE_RECORD_SIZE) {
                const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sample));
                const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sample + 1));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi64(a, b));
            }
#endif
        for (; i < aPiece.to; ++i, sample += stride, out += DATAFILE_RECORD_SIZE)
            std::memcpy(out, sample, DATAFILE_RECORD_SIZE);
    };
    WriteFileAtomic(
        aFileName,
        [&](const TByteSink& aSink) {
            aSink(EncodeHeader(h));
            std::vector<char> buffers[2];
            std::future<void> next;
            if (!pieces.empty()) gather(pieces[0], buffers[0]);
            for (size_t k = 0; k < pieces.size(); ++k) {
                if (next.valid()) next.get();
                if (k + 1 < pieces.size())
                    next = std::async(std::launch::async, gather, std::cref(pieces[k + 1]),
                                      std::ref(buffers[(k + 1) % 2]));
                // A failing write waits for the gathering in flight (the future's end) and goes on.
                aSink({buffers[k % 2].data(), buffers[k % 2].size()});
            }
            if (!extension.empty()) aSink(extension);
        },
        fileSize);
    fWasSaved = true;
    fHasUnsavedChanges = false;
    fFileName = aFileName;
    // What a finished run kept for a crash is safe in the file now.
    ExperimentSaved(this);
}

void TDataClass::LoadFromFile(const std::string& aFileName, TAppFileType aFileType, int aStartChannel) {
    fLastLoadWarnings.clear();
    fLoadedFileVersion.clear();
    if (aFileType == ftBMP || aFileType == ftCSV) return;
    const TMappedFile file(aFileName);
    std::string extensionText;
    const std::string_view bytes =
        aFileType == ftDSC ? SplitExtensionBlock(file.Bytes(), extensionText) : file.Bytes();

    bool tempOverflow = false, diffOverflow = false, copied = false;
    TExperimentExtras extras;
    if (aFileType == ftBin) {
        if (aStartChannel == 0) ClearAll();
        LoadBinFile(aFileName, bytes);
    } else {
        if (!extensionText.empty()) extras = ExtrasFromJson(extensionText, aFileName);
        copied =
            LoadHeaderFile(aFileName, bytes, extras, std::max(0, aStartChannel), tempOverflow, diffOverflow);
        // The peaks and evaluations of the file come with its samples, not with added channels.
        if (aStartChannel <= 0) ApplyExtrasObjects(*this, extras, fLastLoadWarnings);
    }
    if (!copied) CopyToBuffer();
    fWasFirstScan = true;
    fLastScanChannelNo = static_cast<uint8_t>(std::max(0, GetChannelCount() - 1));

    const TAppConfig& c = DataConfig();
    auto warning = [](const std::string& aChannel) {
        return "ВНИМАНИЕ! При загрузке файла была потеряна часть данных по шкале '" + aChannel +
               "', так настройки диапазона АЦП прибора не позволяют" +
               " использовать весь диапазон значений из загруженного файла. \n\r";
    };
    if (tempOverflow) fLastLoadWarnings.push_back(warning(c.tempChannelName));
    if (diffOverflow) fLastLoadWarnings.push_back(warning(c.diffChannelName));
    if (!fLastLoadWarnings.empty()) {
        std::string text;
        for (const auto& w : fLastLoadWarnings)
            text += w;
        MsgBox(text);
    }
}

bool TDataClass::LoadHeaderFile(const std::string& aFileName, std::string_view aBytes,
                                const TExperimentExtras& aExtras, int aStartChannel, bool& aTempOverflow,
                                bool& aDiffOverflow) {
    const TAppConfig& c = DataConfig();
    TOldDtaFileHeader h = DecodeHeader(aBytes);
    // A physical experiment's file: the current layout with the true item count in its block.
    const bool physical = h.FileVersion == DATAFILE_VER_2_0;
    if (physical) {
        if (!aExtras.physical || aExtras.itemCount <= 0) Damaged(aFileName, "нет масштаба физических единиц");
        h.ItemCount = aExtras.itemCount;
    }
    const bool current = physical || IsCurrentLayout(h.FileVersion);
    const size_t dataStart = current ? DATAFILE_HEADER_SIZE : DATAFILE_OLD_DATA_OFFSET;
    // Records the file could hold; in the current layout a record cut short still counts (its
    // missing bytes read as zero), in the older layout only whole records do.
    const size_t dataBytes = aBytes.size() > dataStart ? aBytes.size() - dataStart : 0;
    const size_t available = current ? (dataBytes + DATAFILE_RECORD_SIZE - 1) / DATAFILE_RECORD_SIZE
                                     : dataBytes / DATAFILE_RECORD_SIZE;

    // The counts of the header decide what is allocated: check them against the file first.
    if (h.ItemCount <= 0) Damaged(aFileName, "неверное число точек " + std::to_string(h.ItemCount));
    if (static_cast<size_t>(h.ItemCount) > available) {
        if (!current) throw EDataClassException("Неожиданный конец файла " + aFileName);
        Damaged(aFileName, "в заголовке " + std::to_string(h.ItemCount) + " точек, в файле не более " +
                               std::to_string(available));
    }
    if (current && h.NumberOfChannels <= 0) {
        Damaged(aFileName, "неверное число каналов " + std::to_string(h.NumberOfChannels));
    }
    fLoadedFileVersion = h.FileVersion;
    const int itemCount = h.ItemCount;
    // Readings added to an experiment are brought onto its own scale.
    double tFactor = 1, dtFactor = 1;
    if (aStartChannel > 0) {
        if (physical != IsPhysical()) {
            throw EDataClassException("Файл " + aFileName +
                                      ": каналы в физических единицах и каналы записанного опыта не "
                                      "совмещаются в одном эксперименте");
        }
        if (physical) {
            if (aExtras.physical->quantity != fPhysical->quantity ||
                aExtras.physical->unit != fPhysical->unit) {
                throw EDataClassException("Файл " + aFileName + ": сигнал в " +
                                          SignalUnitCaption(aExtras.physical->unit) + ", в эксперименте в " +
                                          SignalUnitCaption(fPhysical->unit));
            }
            tFactor = aExtras.physical->tStep / fPhysical->tStep;
            dtFactor = aExtras.physical->signalStep / fPhysical->signalStep;
        }
    }

    if (aStartChannel > 0) {
        if (GetItemCount() < itemCount) {
            SetItemsLength(itemCount, false);
            endX = h.EndX;
            endXSel = h.EndX;
        }
        fWasSaved = false;
        fHasUnsavedChanges = true;
    } else {
        // Reset as a clearing would, but with exactly the file's channels, and only now that the
        // file has proved readable: a damaged file leaves the experiment as it was.
        ClearObjects();
        items.Reset(0, 1);
        descriptors.resize(1);
        UpdateLegend();
        TDateTime date = 0;
        if (!TryStrToDateTime(h.ExperimentDate, date)) date = 0;
        if (std::fabs(date - std::trunc(date)) * 86400000.0 < 0.5) date += (date < 0 ? -1.0 : 1.0) / 86400.0;
        fDateCreate = date;
        fSampleName = h.SampleName;
        fOperatorName = h.OperatorName;
        fDescription = h.Comments;
        fSampleWeight = h.Weight;
        fHeatSpeed = h.HeatSpeed;
        if (!h.LaboratoryName.empty() && h.LaboratoryName[0] == '|')
            fLaboratoryName = h.LaboratoryName.substr(1);
        begY = c.dTMinValue;
        endY = c.dTMaxValue;
        begX = h.BegX;
        endX = h.EndX;
        begXSel = begX, endXSel = endX, begYSel = begY, endYSel = endY;
        // The current layout writes every sample of channel 0 and its undo copy in the pass
        // below; the older one its raw readings, calibrated after it.
        SetItemsLength(itemCount, true, current);
        descriptors[0].fScanEndPoint = h.ScanEndPoint == 0 ? endX : static_cast<int32_t>(h.ScanEndPoint);
        descriptors[0].name = "Канал №1 - " + BaseName(aFileName);
        diffTempScale = static_cast<TDiffTempScale>(c.diffTempScale);
        tempScale = static_cast<TTempScale>(c.tempScale);
        timeScale = static_cast<TTimeScale>(c.timeScale);
        areaScale = static_cast<TAreaScale>(c.areaScale);
        const float fileFrequency = static_cast<float>(h.TimeRatio);
        frequency = std::isfinite(fileFrequency) && fileFrequency > 0 ? fileFrequency : c.frequency;
        fPeriod = 1000.0L / frequency;
        fFileName = aFileName;
        ApplyExtras(*this, aExtras);
        if (physical) {
            // Values, never counts: the scales of the settings do not apply.
            tempScale = tsDegrees;
            diffTempScale = dtsDegrees;
        }
        fWasSaved = true;
        fHasUnsavedChanges = false;
    }

    TLoadProgress progress(static_cast<size_t>(itemCount));
    const int64_t tLo = static_cast<int64_t>(c.tMinADCValue) * c.tADCMultiplier;
    const int64_t tHi = static_cast<int64_t>(c.tMaxADCValue) * c.tADCMultiplier;
    const int64_t tMin = std::min(tLo, tHi), tMax = std::max(tLo, tHi);
    const int32_t dtMin = std::min(c.dTMinADCValue, c.dTMaxADCValue);
    const int32_t dtMax = std::max(c.dTMinADCValue, c.dTMaxADCValue);
    std::vector<int> loadedChannels;

    // A replacing load takes every channel from the file: its samples are calibrated and channel
    // 0's undo copy taken in the pass that reads them, instead of two more passes afterwards.
    const bool calibrate = current && aStartChannel == 0;
    if (calibrate) fUndoLength = static_cast<size_t>(itemCount);  // sized by SetItemsLength
    if (current) {
        const int n = std::min(h.NumberOfChannels, DATAFILE_MAX_CHANNELS);
        for (int ch = 0; ch < n; ++ch) {
            int k = aStartChannel + ch;
            const size_t blockStart =
                DATAFILE_HEADER_SIZE + static_cast<size_t>(ch) * itemCount * DATAFILE_RECORD_SIZE;
            if (k > 0 && n > 1 && blockStart >= aBytes.size())
                break;  // the file holds fewer blocks than it says
            if (k > 0) {
                std::string name = "Канал № " + std::to_string(k + 1);
                if (aStartChannel > 0) name += " - " + BaseName(aFileName);
                k = CreateCannel(name, CHANNEL_TYPE_PERMANENT) - 1;  // always the channel just appended
            }
            // Records wholly inside the file are read in place; a record cut short at the end
            // reads as zeros where the file ends.
            const size_t whole =
                blockStart >= aBytes.size()
                    ? 0
                    : std::min<size_t>(itemCount, (aBytes.size() - blockStart) / DATAFILE_RECORD_SIZE);
            const char* p = aBytes.data() + std::min(blockStart, aBytes.size());
            const size_t stride = items.ChannelCount();
            // The undo copy of channel 0 is taken here, of the readings as stored.
            TRawReading* undo = calibrate && k == 0 ? undoItems.Data() : nullptr;
            for (size_t from = 0; from < static_cast<size_t>(itemCount); from += kLoadPiece) {
                const size_t to = std::min(static_cast<size_t>(itemCount), from + kLoadPiece);
                TItem* s = &items[from][k];
                for (size_t i = from; i < to; ++i, s += stride) {
                    int32_t t, dt;
                    if (i < whole) {
                        t = ReadInt32(p), dt = ReadInt32(p + 4);
                        p += DATAFILE_RECORD_SIZE;
                    } else {
                        char record[DATAFILE_RECORD_SIZE] = {};
                        const size_t at = blockStart + i * DATAFILE_RECORD_SIZE;
                        if (at < aBytes.size())
                            std::memcpy(record, aBytes.data() + at,
                                        std::min(DATAFILE_RECORD_SIZE, aBytes.size() - at));
                        t = ReadInt32(record), dt = ReadInt32(record + 4);
                    }
                    if (physical) {
                        // The converter's range bounds recorded readings only.
                        if (tFactor != 1) t = ToReading(t * tFactor, 1);
                        if (dtFactor != 1) dt = ToReading(dt * dtFactor, 1);
                    } else {
                        if (t < tMin || t > tMax) {
                            aTempOverflow = true;
                            t = static_cast<int32_t>(std::clamp<int64_t>(t, tMin, tMax));
                        }
                        if (dt < dtMin || dt > dtMax) aDiffOverflow = true;
                    }
                    s->t = t;
                    s->dt = dt;
                    if (undo) undo[i] = {t, dt};
                }
                // Calibrated while the piece is still in the cache.
                if (calibrate) FillChannelRange(k, from, to);
                progress.At(from);
            }
            loadedChannels.push_back(k);
        }
    } else {
        // The older layout holds one channel; added to an experiment it becomes a channel of
        // its own instead of overwriting channel 0.
        int k = 0;
        if (aStartChannel > 0) {
            k = CreateCannel("Канал № " + std::to_string(GetChannelCount() + 1) + " - " + BaseName(aFileName),
                             CHANNEL_TYPE_PERMANENT) -
                1;
        }
        fFileName = aStartChannel > 0 ? fFileName : aFileName;
        const char* p = aBytes.data() + DATAFILE_OLD_DATA_OFFSET;
        for (int i = 0; i < itemCount; ++i, p += DATAFILE_RECORD_SIZE) {
            items[i][k].t = ReadInt32(p);
            items[i][k].dt = ReadInt32(p + 4);
            if ((i & 0xFFF) == 0) progress.At(static_cast<size_t>(i));
        }
        loadedChannels.push_back(k);
    }

    const int last = GetItemCount() - 1;
    begX = 0;
    endX = last;
    endXSel = last;
    begXSel = 0;
    begYSel = begY;
    endYSel = endY;
    fBegCalcInfo = static_cast<uint32_t>(begX);
    fEndCalcInfo = static_cast<uint32_t>(endX);
    int32_t scanEnd =
        h.ScanEndPoint == 0 ? endX : static_cast<int32_t>(std::min<uint32_t>(h.ScanEndPoint, INT32_MAX));
    if (itemCount * 0.6 > scanEnd) {
        scanEnd = itemCount - 1;
        if (gLogger) gLogger->Debug("TDataClass", "Сработал хаг про некорректный обрыв сканирования");
    }
    // The end point read from the file belongs to the channels the file filled; adding channels
    // leaves channel 0's end point alone.
    for (int k : loadedChannels) {
        if (aStartChannel == 0 || k > 0) descriptors[k].fScanEndPoint = scanEnd;
    }
    if (aStartChannel == 0) descriptors[0].fScanEndPoint = scanEnd;
    if (!calibrate) FillTempValues();
    if (physical && aStartChannel == 0) FitRangesToData();
    return calibrate;
}

void TDataClass::LoadBinFile(const std::string& aFileName, std::string_view aBytes) {
    const size_t count = aBytes.size() / 2;
    if (count == 0) Damaged(aFileName, "нет данных");
    if (count > static_cast<size_t>(INT32_MAX)) Damaged(aFileName, "слишком большой файл");
    fFileName = aFileName;
    fPhysical.reset();  // counts of a converter
    SetItemsLength(static_cast<int>(count), false);
    mode = vm_view_dT_by_time;
    begX = 0;
    endX = static_cast<int32_t>(count) - 1;
    endXSel = endX;
    begXSel = 0;
    fBegCalcInfo = 0;
    fEndCalcInfo = static_cast<uint32_t>(endX);
    begY = 0;
    endY = 0;
    TLoadProgress progress(count);
    for (size_t i = 0; i < count; ++i) {
        int16_t w;
        std::memcpy(&w, aBytes.data() + 2 * i, 2);
        items[i][0].t = static_cast<int32_t>(i);
        items[i][0].dt = w;
        endY = std::max<int32_t>(endY, w);
        if (i % 100 == 0) progress.At(i);
    }
    begYSel = 0;
    endYSel = endY;
    descriptors[0].fScanEndPoint = endX;
    tempScale = tsUnits;
    frequency = 1.0f;
    fPeriod = 1000;
    timeScale = tmSeconds;
    diffTempScale = dtsUnits;
    bubbles.Clear();
    peaks.Clear();
}

}  // namespace kalvero
