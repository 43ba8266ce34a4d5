// "#KEY:value" headers and a "##" line of column names over the rows.
// Whatever the bytes, the reader returns a sound run or raises EImportError.

#include "FuzzSupport.h"
#include "import/LayoutReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
    return kalvero::fuzz::ImportWith(kalvero::foreign::ReadHashKey, aData, aSize);
}
