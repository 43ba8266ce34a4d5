#pragma once
// What the fuzz targets share: silent operator hooks (a damaged file may ask a question or show a
// box; the fuzzer must not wait or print), a scratch folder on a memory file system, a
// configuration over its own program-data folder installed as gConfig, and a helper that writes
// the input where a reader expects a file.

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/Config.h"
#include "import/RunBuilder.h"

namespace kalvero::fuzz {

// Installs the silent hooks once; returns the process's scratch folder with a trailing "/".
const std::string& ScratchFolder();

// A configuration over <scratch>/data, loaded from the default files and installed as gConfig.
TAppConfig& Config();

// Writes the bytes to aPath, replacing the file.
void WriteBytes(const std::string& aPath, const uint8_t* aData, size_t aSize);
// Writes the bytes to <scratch>/aName and returns the full name.
std::string WriteInput(const std::string& aName, const uint8_t* aData, size_t aSize);

// The bytes as a text export through one reader (decoded first as every import is). A refusal
// must be EImportError; a run must hold what a run promises (columns, rising time, finite samples,
// warnings readable), or the process stops.
int ImportWith(TImportedRun (*aReader)(const foreign::TImportInput&), const uint8_t* aData, size_t aSize);

}  // namespace kalvero::fuzz
