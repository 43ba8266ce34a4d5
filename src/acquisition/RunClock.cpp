#include "acquisition/RunClock.h"

#include <chrono>
#include <cmath>
#include <thread>

#include "common/IniFile.h"

namespace kalvero {
namespace {

uint64_t SteadyMicroseconds() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

TTickClock TRunClock::AsTickClock() {
    return [this] { return Now(); };
}

TSteadyRunClock::TSteadyRunClock(double aSpeed)
    : fSpeed(std::isfinite(aSpeed) && aSpeed >= 1 ? aSpeed : 1), fOrigin(SteadyMicroseconds()) {}

uint64_t TSteadyRunClock::Now() {
    return static_cast<uint64_t>(static_cast<double>(SteadyMicroseconds() - fOrigin) * fSpeed / 1000);
}

void TSteadyRunClock::Sleep(double aMs) {
    if (!(aMs > 0)) return;
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(aMs / fSpeed));
}

double ReadSimulatedSpeed(const std::string& aDevicesFileName) {
    try {
        const double speed = TIniFile(aDevicesFileName).ReadFloat("SIMULATED_CELL", "Speed", 1);
        return std::isfinite(speed) && speed >= 1 ? speed : 1;
    } catch (const std::exception&) {
        return 1;
    }
}

std::shared_ptr<TRunClock> MakeRunClock(const std::string& aDevicesFileName) {
    return std::make_shared<TSteadyRunClock>(ReadSimulatedSpeed(aDevicesFileName));
}

}  // namespace kalvero
