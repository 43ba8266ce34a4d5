#pragma once
// The descriptor of the built-in signal emulator: the base mapping plus the shape of the
// emulated curves, one noise level and one dT base level per data channel.

#include "acquisition/DeviceDescriptor.h"

namespace kalvero {

class TEmulDeviceDescriptor : public TBaseDeviceDescriptor {
public:
    // Also reads [EMUL_DEVICE] and the "EMUL_CHANNEL<i>" sections; a noise level of 0 or below
    // is refused (the emulator draws its noise from it).
    explicit TEmulDeviceDescriptor(const TAppConfig& aConfig);

    TIntegers GetCurveNoiseLevels() const { return fCurveNoiseLevels; }
    TIntegers GetCurveDataOffsets() const { return fCurveDataOffsets; }
    // Emulated peaks point upwards when true.
    bool GetPeakDirection() const { return fPeakDirection; }

private:
    TIntegers fCurveNoiseLevels;
    TIntegers fCurveDataOffsets;
    bool fPeakDirection = true;
};

}  // namespace kalvero
