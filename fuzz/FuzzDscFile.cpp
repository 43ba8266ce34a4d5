// Experiment files of the current and the older layout (the header tells which): loaded into a
// fresh experiment, then added as channels to the loaded one, then saved again. A refused file
// must raise an exception and nothing else.

#include <exception>

#include "FuzzSupport.h"
#include "data/DataClass.h"

using namespace kalvero;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
    fuzz::Config();
    const std::string file = fuzz::WriteInput("input.dsc", aData, aSize);
    try {
        TDataClass d;
        d.LoadFromFile(file, ftDSC, 0);
        d.LoadFromFile(file, ftDSC, d.GetChannelCount());
        d.SaveToFile(fuzz::ScratchFolder() + "saved.dsc", false);
    } catch (const std::exception&) {
    }
    return 0;
}
