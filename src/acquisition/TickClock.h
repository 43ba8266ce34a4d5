#pragma once
// The millisecond clock of timed acquisition steps. A monotonic 64-bit count, so a run never
// meets the wrap of a 32-bit uptime counter; tests pass a clock of their own.

#include <chrono>
#include <cstdint>
#include <functional>

namespace kalvero {

using TTickClock = std::function<uint64_t()>;

// Milliseconds of a steady clock (not affected by changes of the wall-clock time).
inline uint64_t GetTickCount64() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace kalvero
