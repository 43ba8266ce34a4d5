// Two header lines (names, bracketed units) over the rows and a footer from "!&".
// Whatever the bytes, the reader returns a sound run or raises EImportError.

#include "FuzzSupport.h"
#include "import/LayoutReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
    return kalvero::fuzz::ImportWith(kalvero::foreign::ReadTwoLine, aData, aSize);
}
