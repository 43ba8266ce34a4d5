#pragma once
// The built-in signal emulator: a temperature ramp across the counts window and a dT curve with
// one peak, so that the acquisition chain runs without hardware. Clock-driven: each turn takes
// the time index from the run clock, makes one sample set and fills skipped indices. It drives
// no port and runs no heating program (queued port commands are dropped).

#include <memory>
#include <random>

#include "acquisition/CommonScanThread.h"
#include "acquisition/EmulDeviceDescriptor.h"

namespace kalvero {

class TEmulScanThread final : public TCommonScanThread {
public:
    // The emulator descriptor is read from the settings; its failure leaves the defaults.
    TEmulScanThread(const TAppConfig& aConfig, std::shared_ptr<TRunClock> aClock = nullptr);
    ~TEmulScanThread() override;
    const char* ClassName() const override { return "TEmulScanThread"; }

    // The next ramp reading (advances the ramp) and the dT reading at the current time index.
    int32_t GetTValue(int32_t aCh) override;
    int32_t GetDtValue(int32_t aCh) override;
    double GetCurrTVal() const { return fCurrTVal; }

protected:
    void Execute() override;

private:
    void Turn();

    double fCurrTVal;
    std::unique_ptr<TEmulDeviceDescriptor> fDeviceDescriptor;
    std::mt19937 fRandom;
};

}  // namespace kalvero
