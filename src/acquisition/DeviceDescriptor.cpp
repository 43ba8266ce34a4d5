#include "acquisition/DeviceDescriptor.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "common/FileUtil.h"
#include "common/IniFile.h"
#include "common/MathProcs.h"

namespace kalvero {
namespace {

constexpr const char* kDeviceSection = "DEFAULT_DEVICE";

bool Is12Bit(TInterfaceType aType) {
    return aType == itLA20USB || aType == itLA20USB_DMA || aType == itLA20USB_Uni;
}

bool Is24Bit(TInterfaceType aType) {
    return aType == itLA24USB || aType == itLAi24USB_Uni;
}

}  // namespace

int32_t ReadDeviceInteger(const TIniFile& aIni, const std::string& aSection, const std::string& aKey,
                          int32_t aDefault, int32_t aMin, int32_t aMax) {
    const int32_t v = aIni.ReadInteger(aSection, aKey, aDefault);
    if (v < aMin || v > aMax) {
        throw EDeviceConfigException("Значение " + aKey + "=" + std::to_string(v) + " в разделе " + aSection +
                                     " вне допустимого диапазона " + std::to_string(aMin) + ".." +
                                     std::to_string(aMax));
    }
    return v;
}

TBaseDeviceDescriptor::TBaseDeviceDescriptor(const TAppConfig& aConfig)
    : fInterfaceType(aConfig.interfaceType),
      fDevicesFileName(aConfig.DevicesFileName()),
      fNumberOfDataChannels(aConfig.numberOfDataChannels),
      fFrequency(aConfig.frequency),
      fTempChannelName(aConfig.tempChannelName),
      fDiffChannelName(aConfig.diffChannelName) {
    const std::string name = InterfaceTypeDisplayName(fInterfaceType);
    const TIniFile ini = OpenDevicesFile();
    fDifferentialMode = ini.ReadBool(kDeviceSection, "differentialMode", false);
    fBoardTitle = "Not initialized yet";
    fInternalDataDivider = 1;
    SetCapabilities();

    // Every data channel needs its hardware channels; none at all records nothing.
    if (fNumberOfDataChannels < 1 || fNumberOfDataChannels > fMaxHardwareChannels) {
        throw EDeviceConfigException(
            "Указано неверное количество рабочих каналов для данного типа интерфейса (" + name + ")");
    }
    for (int32_t i = 0; i < fNumberOfDataChannels; ++i)
        ReadChannel(ini, i);
    // Raw samples are divided by it.
    if (aConfig.rawDataDivider < 1) {
        throw EDeviceConfigException("Указан неверный делитель исходных данных (rawDataDivider): " +
                                     std::to_string(aConfig.rawDataDivider));
    }
}

TIniFile TBaseDeviceDescriptor::OpenDevicesFile() const {
    try {
        return TIniFile(fDevicesFileName);
    } catch (const EFileError& e) {
        throw EDeviceConfigException(e.what());
    }
}

void TBaseDeviceDescriptor::SetCapabilities() {
    if (Is12Bit(fInterfaceType)) {
        fAvalableGains = {1, 2, 4, 10, 20, 40, 100, 200};
        fAvalableFreqs.clear();  // any frequency
        fMaxHardwareChannels = fDifferentialMode ? 16 : 32;
        fInternalDataDivider = 16;
    } else if (Is24Bit(fInterfaceType)) {
        fAvalableGains = {1, 2, 4, 8, 16, 32, 64};
        fAvalableFreqs = {6.25, 12.5, 25, 50, 100, 200, 400, 800};
        fMaxHardwareChannels = 4;
        fInternalDataDivider = 256;
    } else {
        fAvalableGains = {1};
        fAvalableFreqs.clear();
        fMaxHardwareChannels = 2;
        fInternalDataDivider = 1;
        fLibraryFileName = fLibraryVersion = fBaseLibraryFileName = fBaseLibraryVersion = "not used";
        fBoardTitle = InterfaceTypeDisplayName(fInterfaceType);
        if (fInterfaceType == itLpt) {
            fLibraryFileName = "io.dll";
            fLibraryVersion.clear();
        }
    }
}

void TBaseDeviceDescriptor::ReadChannel(const TIniFile& aIni, int32_t aChNo) {
    const std::string name = InterfaceTypeDisplayName(fInterfaceType);
    const std::string section = "USB_CHANNEL" + std::to_string(aChNo);
    const auto hardwareChannel = [&](const char* aKey) {
        const int32_t v = ReadDeviceInteger(aIni, section, aKey, 0, 0, 255);
        if (v >= fMaxHardwareChannels) {
            throw EDeviceConfigException(
                "Указан неверный номер аппаратного канала для данного типа интерфейса (" + name + ")");
        }
        return static_cast<uint8_t>(v);
    };
    const auto gain = [&](const char* aKey) {
        const int32_t v = ReadDeviceInteger(aIni, section, aKey, 1, 0, 255);
        // The emulator has no amplifier to set.
        if (fInterfaceType != itEmul &&
            std::find(fAvalableGains.begin(), fAvalableGains.end(), v) == fAvalableGains.end()) {
            throw EDeviceConfigException(
                "Указано неверное усиление аппаратного канала для данного типа интерфейса (" + name + ")");
        }
        return static_cast<uint8_t>(v);
    };
    const auto offset = [&](const char* aKey) {
        return static_cast<int16_t>(ReadDeviceInteger(aIni, section, aKey, 0, INT16_MIN, INT16_MAX));
    };

    TDeviceChannelDescriptor ch;
    ch.dataChannelNumber = static_cast<uint8_t>(aChNo);
    ch.tempChannelNumber = hardwareChannel("tempChannelNumber");
    ch.tempChannelGain = gain("tempChannelGain");
    ch.tempChannelOffset = offset("tempChannelOffset");
    ch.diffTempChannelNumber = hardwareChannel("diffTempChannelNumber");
    ch.dIffTempChannelGain = gain("diffTempChannelGain");
    ch.dIffTempChannelOffset = offset("diffTempChannelOffset");

    // A zero, negative or undefined rate is refused even where any rate is allowed.
    const bool listed =
        fAvalableFreqs.empty() || std::any_of(fAvalableFreqs.begin(), fAvalableFreqs.end(),
                                              [&](double f) { return static_cast<float>(f) == fFrequency; });
    if (!(fFrequency > 0) || !std::isfinite(fFrequency) || !listed) {
        throw EDeviceConfigException("Указана неверная частота опроса для данного типа интерфейса (" + name +
                                     ")");
    }
    fChannels.push_back(ch);
}

const TDeviceChannelDescriptor& TBaseDeviceDescriptor::Channel(int32_t aChNo) const {
    if (aChNo < 0 || aChNo >= static_cast<int32_t>(fChannels.size()))
        throw EDeviceConfigException("Incorrect channel number");
    return fChannels[aChNo];
}

uint8_t TBaseDeviceDescriptor::GetTempChannelGain(int32_t aChNo) const {
    return Channel(aChNo).tempChannelGain;
}

uint8_t TBaseDeviceDescriptor::GetDiffTempChannelGain(int32_t aChNo) const {
    return Channel(aChNo).dIffTempChannelGain;
}

TIntegers TBaseDeviceDescriptor::GetDecimationList(float aFreq) const {
    TIntegers list;
    if (fAvalableFreqs.empty() || !(aFreq > 0) || !std::isfinite(aFreq)) return list;
    const int64_t target = Round(aFreq);
    // From the highest allowed frequency down (never the lowest), while the one last taken lies
    // above aFreq; each one's ratio to aFreq is a factor.
    for (size_t i = fAvalableFreqs.size() - 1; i >= 1; --i) {
        if (i + 1 < fAvalableFreqs.size() && Round(fAvalableFreqs[i + 1]) <= target) break;
        const double f = fAvalableFreqs[i];
        // A frequency at or below aFreq divides nothing down to it (above every allowed one the
        // walk would list a factor 0).
        if (Round(f) <= target) break;
        const double factor = f / aFreq;
        if (factor > INT32_MAX) return {};
        list.push_back(static_cast<int32_t>(Round(factor)));
    }
    std::sort(list.begin(), list.end());
    return list;
}

std::string TBaseDeviceDescriptor::GetDescription() const {
    std::string s;
    const auto line = [&s](const std::string& aText) { s += aText + '\r'; };
    line("Тип интерфейса=" + std::string(InterfaceTypeDisplayName(fInterfaceType)));
    line("Серийный номер=" + fSerialNo);
    line("Драйвер=" + fLibraryFileName + " " + fLibraryVersion + " " + fBaseLibraryFileName + " " +
         fBaseLibraryVersion);
    line("Дифференциальный режим=" + std::string(fDifferentialMode ? "да" : "нет"));
    line("Внутренний делитель=" + std::to_string(fInternalDataDivider));
    line("Всего каналов=" + std::to_string(fMaxHardwareChannels));
    line("Рабочих каналов=" + std::to_string(fNumberOfDataChannels));
    line("Цифровой порт=" + fPortInfo);
    for (size_t k = 0; k < fChannels.size(); ++k) {
        const TDeviceChannelDescriptor& c = fChannels[k];
        line("Канал № " + std::to_string(k + 1) + "=");
        line("  Номер аппаратного канала для " + fTempChannelName + "=" +
             std::to_string(c.tempChannelNumber));
        line("  Коэфф. усиления для " + fTempChannelName + "=" + std::to_string(c.tempChannelGain));
        line("  Смещение для " + fTempChannelName + "=" + std::to_string(c.tempChannelOffset));
        line("  Номер аппаратного канала для " + fDiffChannelName + "=" +
             std::to_string(c.diffTempChannelNumber));
        line("  Коэфф. усиления для " + fDiffChannelName + "=" + std::to_string(c.dIffTempChannelGain));
        line("  Смещение для " + fDiffChannelName + "=" + std::to_string(c.dIffTempChannelOffset));
        line("");
    }
    return s;
}

}  // namespace kalvero
