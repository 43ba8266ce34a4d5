#include "acquisition/EmulDeviceDescriptor.h"

#include "common/IniFile.h"

namespace kalvero {

TEmulDeviceDescriptor::TEmulDeviceDescriptor(const TAppConfig& aConfig) : TBaseDeviceDescriptor(aConfig) {
    const TIniFile ini = OpenDevicesFile();
    fPeakDirection = ini.ReadBool("EMUL_DEVICE", "PeakDirection", true);
    for (int32_t i = 0; i < fNumberOfDataChannels; ++i) {
        const std::string section = "EMUL_CHANNEL" + std::to_string(i);
        const int32_t noise = ini.ReadInteger(section, "CurveNoiseLevel", 10);
        if (noise <= 0) {
            throw EDeviceConfigException("Указан неверный уровень шума эмулятора (" + section +
                                         ", CurveNoiseLevel=" + std::to_string(noise) + ")");
        }
        fCurveNoiseLevels.push_back(noise);
        fCurveDataOffsets.push_back(ini.ReadInteger(section, "CurveDataOffset", 1000));
    }
}

}  // namespace kalvero
