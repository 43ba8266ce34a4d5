#pragma once
// Whole-file reads and crash-safe writes: a write goes to a temporary file in the same folder,
// which then replaces the target in one rename, so a failed write never leaves a half file.

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kalvero {

class EFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws EFileError "Не удалось открыть файл " + name when the file cannot be read.
std::string ReadWholeFile(const std::filesystem::path& aPath);
// Throws EFileError "Не удалось записать файл " + name; the old file, if any, stays intact.
void WriteFileAtomic(const std::filesystem::path& aPath, std::string_view aBytes);
// The same for a file made in pieces: aProduce hands the file's bytes to the sink it is given, in
// order, so that a large file never needs a second copy in memory. An exception from aProduce
// leaves the old file as well (and propagates). aExpectedSize, when known, lets the file system
// reserve the file's space at once instead of piece by piece; the file ends where the produced
// bytes end whatever it says.
using TByteSink = std::function<void(std::string_view)>;
void WriteFileAtomic(const std::filesystem::path& aPath,
                     const std::function<void(const TByteSink&)>& aProduce, uint64_t aExpectedSize = 0);

// A file mapped read-only into memory for the time of a read; large records are parsed in place
// without a copy. Throws EFileError like ReadWholeFile.
class TMappedFile {
public:
    explicit TMappedFile(const std::filesystem::path& aPath);
    ~TMappedFile();
    TMappedFile(const TMappedFile&) = delete;
    TMappedFile& operator=(const TMappedFile&) = delete;
    std::string_view Bytes() const { return {static_cast<const char*>(fData), fSize}; }

private:
    void* fData = nullptr;
    size_t fSize = 0;
};

// The entry of aDir whose name equals aName without regard to letter case; aDir / aName when
// none does (so that a new file gets the spelling given).
std::filesystem::path FindFileNoCase(const std::filesystem::path& aDir, const std::string& aName);

// Text with a trailing "/" (folder names of the system always end with a separator).
std::string IncludeTrailingPathDelimiter(const std::string& aPath);

}  // namespace kalvero
