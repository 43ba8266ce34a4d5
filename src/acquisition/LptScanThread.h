#pragma once
// A 12-bit converter on the parallel port, reached through the port library "io.dll" (PortIn,
// PortOut). Clock-driven like the emulator: each turn converts T and dT of every data channel
// and fills the time indices the clock skipped. It drives no port lines of the instrument and
// runs no heating program (queued port commands are dropped).

#include <cstdint>
#include <memory>
#include <string>

#include "acquisition/CommonScanThread.h"

namespace kalvero {

inline constexpr const char* PORT_IO_LIBRARY = "io.dll";

// The two entry points of the port library.
struct TPortIoEntries {
    uint8_t (*PortIn)(uint16_t aAddress) = nullptr;
    void (*PortOut)(uint16_t aAddress, uint8_t aValue) = nullptr;
};

class TLptScanThread final : public TCommonScanThread {
public:
    // Loads the port library; a missing library or entry point leaves the fatal error state with
    // the loader's text (nothing is raised).
    TLptScanThread(const TAppConfig& aConfig, std::shared_ptr<TRunClock> aClock = nullptr);
    // With port functions of the caller's (tests).
    TLptScanThread(const TAppConfig& aConfig, TPortIoEntries aPorts, std::shared_ptr<TRunClock> aClock);
    ~TLptScanThread() override;
    const char* ClassName() const override { return "TLptScanThread"; }

    // Clears an earlier failure; a missing port library stays a fatal error.
    void InitHardware() override;

    // One conversion of data channel aChannel (T or dT): the 12-bit value, multiplied by
    // tADCMultiplier for control bases other than 0 and 16. "Неверный адрес порта LPT!" for a
    // port address that is no 16-bit integer; a converter that does not finish within a second
    // fails too.
    int32_t Convert(int32_t aChannel, bool aTemperature);

    // The delay value f: scanDelay unless it is -1, else 0 below a system speed of 1201, else -1.
    static int32_t DelayValue(int32_t aScanDelay, int32_t aSystemSpeed);
    // Milliseconds the two waits sleep for a delay value.
    static int32_t WaitAMs(int32_t aDelay) { return aDelay == -1 ? 1 : aDelay > 0 ? aDelay : 0; }
    static int32_t WaitBMs(int32_t aDelay) { return aDelay > 0 ? aDelay : 0; }
    // The 12-bit value of the four status reads (bits 3-5 of each, bit 3 the most significant).
    static int32_t DecodeStatus(uint8_t s1, uint8_t s2, uint8_t s3, uint8_t s4);

protected:
    void Execute() override;

private:
    void Turn();
    uint16_t PortAddress() const;
    void Wait(int32_t aMs) const;

    void* fDllHandle = nullptr;
    TPortIoEntries fPorts;
    std::string fLoadError;
    int32_t fDelay = 0;
};

}  // namespace kalvero
