// The simulated port-I/O library (libio.so): PortIn and PortOut reach a 12-bit converter on the
// parallel port, wired to a cell whose heater runs from the first port access on (the parallel
// interface has no heater control). The converter speaks the protocol of the program's
// parallel-port back-end: a write of 0 resets it; a write with bit 3 set starts a conversion of
// channel (value >> 4), temperature when bit 2 is set, differential otherwise; status bit 6
// tells that the conversion is done; writes with bit 3 set select which three bits of the
// 12-bit result (bits 0-1 of the value, most significant group first) show on status bits 3-5,
// the group's most significant bit on bit 3.

#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <mutex>

#include "simcell/SimConfig.h"
#include "simcell/SimNoise.h"
#include "simcell/SimulatedCell.h"

#define KALVERO_EXPORT extern "C" __attribute__((visibility("default")))

namespace kalvero::sim {
namespace {

constexpr int kBusyPolls = 2;  // status reads before a conversion reports done

class TSimLptConverter {
public:
    static TSimLptConverter& Instance() {
        static TSimLptConverter converter;
        return converter;
    }

    void Out(uint16_t aAddress, uint8_t aValue) {
        std::lock_guard lock(fLock);
        Prepare();
        fBase = aAddress;
        if (aValue == 0) {
            fConverting = false;
            return;
        }
        if (!(aValue & 8)) return;
        fGroup = aValue & 3;
        if (fConverting) return;
        fConverting = true;
        fBusy = kBusyPolls;
        fCell->AdvanceTo(SimNow());
        const bool temperature = (aValue & 4) != 0;
        const double counts =
            temperature ? SensorCounts(fCell->SensorTempC()) + fNoise.Gauss(0.25)
                        : DIFF_ZERO_COUNTS + fCell->DiffTemp() * DIFF_COUNTS_PER_K + fNoise.Gauss(0.5);
        fValue = static_cast<uint16_t>(std::lround(std::fmin(4095, std::fmax(0, counts))));
    }

    uint8_t In(uint16_t aAddress) {
        std::lock_guard lock(fLock);
        Prepare();
        if (aAddress != static_cast<uint16_t>(fBase + 1) || !fConverting || fConfig.faults.absent) return 0;
        if (fBusy > 0) {
            --fBusy;
            return 0;
        }
        // The group's most significant bit shows on status bit 3, its least on bit 5.
        const int bits = (fValue >> (9 - 3 * fGroup)) & 7;
        return static_cast<uint8_t>(0x40 | ((bits & 4) << 1) | ((bits & 2) << 3) | ((bits & 1) << 5));
    }

    void Reset() {
        std::lock_guard lock(fLock);
        fCell.reset();
        Prepare();
    }

private:
    double SimNow() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - fRealBase).count() *
               fConfig.speed;
    }

    // The cell starts heating at the first access.
    void Prepare() {
        if (fCell) return;
        try {
            fConfig = LoadSimConfig();
        } catch (const ESimConfig&) {
            fConfig = {};
        }
        fCell = std::make_unique<TSimulatedCell>(fConfig);
        fCell->SetHeater(true);
        fNoise = TSimNoise(fConfig.seed);
        fRealBase = std::chrono::steady_clock::now();
        fConverting = false;
    }

    std::mutex fLock;
    TSimConfig fConfig;
    std::unique_ptr<TSimulatedCell> fCell;
    TSimNoise fNoise{1};
    std::chrono::steady_clock::time_point fRealBase;
    uint16_t fBase = 0, fValue = 0;
    int fGroup = 0, fBusy = 0;
    bool fConverting = false;
};

}  // namespace
}  // namespace kalvero::sim

using kalvero::sim::TSimLptConverter;

KALVERO_EXPORT uint8_t PortIn(uint16_t aAddress) {
    return TSimLptConverter::Instance().In(aAddress);
}
KALVERO_EXPORT void PortOut(uint16_t aAddress, uint8_t aValue) {
    TSimLptConverter::Instance().Out(aAddress, aValue);
}
// Simulated converter only: a cold cell and the settings read anew.
KALVERO_EXPORT void SimPortIoReset() {
    TSimLptConverter::Instance().Reset();
}
