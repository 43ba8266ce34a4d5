// Headerless 16-bit experiment files: loaded, then added as channels.

#include <exception>

#include "FuzzSupport.h"
#include "data/DataClass.h"

using namespace kalvero;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
    fuzz::Config();
    const std::string file = fuzz::WriteInput("input.bin", aData, aSize);
    try {
        TDataClass d;
        d.LoadFromFile(file, ftBin, 0);
        d.LoadFromFile(file, ftBin, d.GetChannelCount());
    } catch (const std::exception&) {
    }
    return 0;
}
