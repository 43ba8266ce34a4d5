// Heating program files: loaded, checked and saved again.

#include <exception>

#include "FuzzSupport.h"
#include "acquisition/ScanProgram.h"

using namespace kalvero;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
    fuzz::Config();
    const std::string file = fuzz::WriteInput("input.prg", aData, aSize);
    try {
        TScanProgram program;
        program.LoadFromFile(file);
        program.Validate();
        program.SaveToFile(fuzz::ScratchFolder() + "saved.prg");
    } catch (const std::exception&) {
    }
    return 0;
}
