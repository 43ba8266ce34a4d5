#include "common/Globals.h"

namespace kalvero {

TLogger* gLogger = nullptr;
TAppConfig* gConfig = nullptr;

}  // namespace kalvero
