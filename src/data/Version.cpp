#include "data/Version.h"

#ifndef KALVERO_VERSION
#define KALVERO_VERSION "0.0.0"
#endif

namespace kalvero {
std::string ProductVersion() {
    return KALVERO_VERSION;
}
}  // namespace kalvero
