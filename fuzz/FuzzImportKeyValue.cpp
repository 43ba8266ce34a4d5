// Key/value headers ending at a "StartOfData" line, the columns as Sig1, Sig2 ….
// Whatever the bytes, the reader returns a sound run or raises EImportError.

#include "FuzzSupport.h"
#include "import/LayoutReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
    return kalvero::fuzz::ImportWith(kalvero::foreign::ReadKeyValue, aData, aSize);
}
