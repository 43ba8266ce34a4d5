#pragma once
// What the configured measuring interface can do (gains, sampling frequencies, hardware
// channels, internal divider) and how the experiment's data channels map onto its hardware
// channels. Built from the configuration and "Devices.ini", which it validates on the way.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/Config.h"

namespace kalvero {

class TIniFile;

using TBytes = std::vector<uint8_t>;
using TIntegers = std::vector<int32_t>;
using TDoubles = std::vector<double>;

// Invalid settings of the interface or its channels.
class EDeviceConfigException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Failures of a device at run time.
class EDeviceException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One experiment data channel: which hardware channels carry its T and dT signals.
struct TDeviceChannelDescriptor {
    uint8_t dataChannelNumber = 0;
    uint8_t tempChannelNumber = 0;
    uint8_t tempChannelGain = 1;
    int16_t tempChannelOffset = 0;  // added to each raw T sample
    uint8_t diffTempChannelNumber = 0;
    uint8_t dIffTempChannelGain = 1;
    int16_t dIffTempChannelOffset = 0;  // added to each raw dT sample
};
using TDeviceChannelDescriptors = std::vector<TDeviceChannelDescriptor>;

class TBaseDeviceDescriptor {
public:
    // Reads and validates; the first invalid setting raises EDeviceConfigException.
    explicit TBaseDeviceDescriptor(const TAppConfig& aConfig);
    virtual ~TBaseDeviceDescriptor() = default;
    TBaseDeviceDescriptor(const TBaseDeviceDescriptor&) = delete;
    TBaseDeviceDescriptor& operator=(const TBaseDeviceDescriptor&) = delete;

    virtual bool IsDevicePresent() { return true; }
    // Connects to the hardware / releases it. Nothing to do for interfaces without a driver.
    virtual void Init() {}
    virtual void DeInit() {}
    // Back-ends that drive a converter start and stop it here.
    virtual void StartADC() {}
    virtual void StopADC() {}

    TInterfaceType GetInterfaceType() const { return fInterfaceType; }
    bool IsDifferentialMode() const { return fDifferentialMode; }
    TBytes GetAvailableGains() const { return fAvalableGains; }
    TDoubles GetAvailableFreqs() const { return fAvalableFreqs; }
    uint8_t GetMaxHardwareChannels() const { return fMaxHardwareChannels; }
    uint8_t GetUsedHardwareChannels() const { return fUsedHardwareChannels; }
    TDeviceChannelDescriptors GetChannelDescriptors() const { return fChannels; }
    // Samples in one driver buffer over all used hardware channels.
    uint32_t GetBufferSize() const { return uint32_t{fBufferSize} * fUsedHardwareChannels; }
    uint32_t GetDeviceTimeout() const { return fDeviceTimeout; }
    std::string GetBoardTitle() const { return fBoardTitle; }
    int32_t GetInternalDataDivider() const { return fInternalDataDivider; }

    // Gains of a data channel (0-based); "Incorrect channel number" outside the list.
    uint8_t GetTempChannelGain(int32_t aChNo) const;
    uint8_t GetDiffTempChannelGain(int32_t aChNo) const;

    // Decimation factors that lead from the allowed frequencies above aFreq down to it, ascending.
    // Empty when any frequency is allowed or aFreq is not a positive number.
    TIntegers GetDecimationList(float aFreq) const;

    // "name=value" lines, each ended by a carriage return.
    std::string GetDescription() const;

protected:
    const TDeviceChannelDescriptor& Channel(int32_t aChNo) const;
    // "Devices.ini" as it is now; a file that cannot be read raises EDeviceConfigException.
    TIniFile OpenDevicesFile() const;

    uint8_t fMaxHardwareChannels = 0;
    uint8_t fUsedHardwareChannels = 0;
    bool fDifferentialMode = false;
    TBytes fAvalableGains;
    TDoubles fAvalableFreqs;
    std::string fSerialNo;
    std::string fLibraryFileName, fLibraryVersion;
    std::string fBaseLibraryFileName, fBaseLibraryVersion;
    std::string fPortInfo;
    uint32_t fPortAddress = 0;
    std::string fBoardTitle;
    uint16_t fBufferSize = 0;
    int32_t fInternalDataDivider = 1;
    uint32_t fDeviceTimeout = 0;
    TDeviceChannelDescriptors fChannels;

    // The settings the descriptor was built from.
    TInterfaceType fInterfaceType = itEmul;
    std::string fDevicesFileName;
    int32_t fNumberOfDataChannels = 0;
    float fFrequency = 0;
    std::string fTempChannelName, fDiffChannelName;

private:
    void SetCapabilities();
    void ReadChannel(const TIniFile& aIni, int32_t aChNo);
};

// Reads an integer key that must fit aMin..aMax, else EDeviceConfigException.
int32_t ReadDeviceInteger(const TIniFile& aIni, const std::string& aSection, const std::string& aKey,
                          int32_t aDefault, int32_t aMin, int32_t aMax);

}  // namespace kalvero
