// The program's own open export as JSON. Whatever the bytes, the reader returns a sound run or
// raises EImportError.

#include "FuzzSupport.h"
#include "import/LayoutReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
    return kalvero::fuzz::ImportWith(
        [](const kalvero::foreign::TImportInput& aInput) {
            return kalvero::foreign::ReadExportJson(aInput.text, aInput.options, aInput.shownName);
        },
        aData, aSize);
}
