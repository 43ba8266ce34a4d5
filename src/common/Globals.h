#pragma once
#include <memory>
namespace kalvero {
class TLogger;
class TAppConfig;
// Process-wide objects, created at start-up and freed at shutdown; null until then.
extern TLogger* gLogger;
extern TAppConfig* gConfig;
}  // namespace kalvero
