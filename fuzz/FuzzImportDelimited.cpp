// Delimited text exports: a header row of column names over rows of numbers, "key: value"
// lines above it.
// Whatever the bytes, the reader returns a sound run or raises EImportError.

#include "FuzzSupport.h"
#include "import/LayoutReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
    return kalvero::fuzz::ImportWith(kalvero::foreign::ReadDelimited, aData, aSize);
}
