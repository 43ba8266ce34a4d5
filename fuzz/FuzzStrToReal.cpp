// StrToRealEx: any text either converts or raises an exception; a converted text converts to the
// same number twice (no hidden state).

#include <cstring>
#include <exception>
#include <string>

#include "common/Procs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
    const std::string text(reinterpret_cast<const char*>(aData), aSize);
    try {
        const double a = kalvero::StrToRealEx(text);
        const double b = kalvero::StrToRealEx(text);
        if (std::memcmp(&a, &b, sizeof a) != 0) __builtin_trap();
    } catch (const std::exception&) {
    }
    return 0;
}
