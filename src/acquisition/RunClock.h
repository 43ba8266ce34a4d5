#pragma once
// The clock of a run: milliseconds since the clock was made, running faster than real time by
// the simulated instrument's time factor (the key Speed of [SIMULATED_CELL] in "Devices.ini").
// The sample clock, hold and free-run durations, port pulses and status timers all follow it.
// Tests put a clock of their own in its place.

#include <cstdint>
#include <memory>
#include <string>

#include "acquisition/TickClock.h"

namespace kalvero {

class TRunClock {
public:
    virtual ~TRunClock() = default;
    // Milliseconds of run time.
    virtual uint64_t Now() = 0;
    // Waits aMs of run time.
    virtual void Sleep(double aMs) = 0;
    virtual double Speed() const { return 1; }
    // The clock as the heating program takes it.
    TTickClock AsTickClock();
};

class TSteadyRunClock : public TRunClock {
public:
    // aSpeed: run milliseconds per real millisecond (1 or more; other values count as 1).
    explicit TSteadyRunClock(double aSpeed = 1);
    uint64_t Now() override;
    void Sleep(double aMs) override;
    double Speed() const override { return fSpeed; }

private:
    double fSpeed;
    uint64_t fOrigin;  // microseconds of the steady clock at creation
};

// The time factor configured for the simulated instrument in the devices file; 1 when the file,
// the section or the key is missing, or the value is not a number of at least 1.
double ReadSimulatedSpeed(const std::string& aDevicesFileName);

// A steady clock with the configured time factor.
std::shared_ptr<TRunClock> MakeRunClock(const std::string& aDevicesFileName);

}  // namespace kalvero
