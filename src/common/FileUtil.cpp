#include "common/FileUtil.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <strings.h>
#include <cerrno>
#include <random>

namespace kalvero {
namespace {

constexpr off_t kFlushPiece = off_t{2} << 20;

}  // namespace

std::string ReadWholeFile(const std::filesystem::path& aPath) {
    const int fd = ::open(aPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw EFileError("Не удалось открыть файл " + aPath.string());
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        throw EFileError("Не удалось открыть файл " + aPath.string());
    }
    // Read straight into a buffer of the file's size; a file that grows meanwhile is read on.
    std::string data(static_cast<size_t>(st.st_size), '\0');
    size_t done = 0;
    for (;;) {
        if (done == data.size()) data.resize(data.size() + 65536);
        const ssize_t n = ::read(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            throw EFileError("Не удалось прочитать файл " + aPath.string());
        }
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    data.resize(done);
    return data;
}

TMappedFile::TMappedFile(const std::filesystem::path& aPath) {
    const int fd = ::open(aPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw EFileError("Не удалось открыть файл " + aPath.string());
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw EFileError("Не удалось открыть файл " + aPath.string());
    }
    fSize = static_cast<size_t>(st.st_size);
    if (fSize > 0) {
        fData = ::mmap(nullptr, fSize, PROT_READ, MAP_PRIVATE, fd, 0);
        if (fData == MAP_FAILED) {
            fData = nullptr;
            ::close(fd);
            throw EFileError("Не удалось прочитать файл " + aPath.string());
        }
        ::madvise(fData, fSize, MADV_SEQUENTIAL);
    }
    ::close(fd);
}

TMappedFile::~TMappedFile() {
    if (fData) ::munmap(fData, fSize);
}

void WriteFileAtomic(const std::filesystem::path& aPath, std::string_view aBytes) {
    WriteFileAtomic(aPath, [aBytes](const TByteSink& aSink) { aSink(aBytes); });
}

void WriteFileAtomic(const std::filesystem::path& aPath,
                     const std::function<void(const TByteSink&)>& aProduce, uint64_t aExpectedSize) {
    const std::string failure = "Не удалось записать файл " + aPath.string();
    std::random_device rd;
    const std::filesystem::path temp =
        aPath.parent_path() / ("." + aPath.filename().string() + ".tmp" + std::to_string(rd() % 1000000));
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) throw EFileError(failure);
    // A file system that cannot reserve space just goes on without.
    if (aExpectedSize > 0) ::fallocate(fd, 0, 0, static_cast<off_t>(aExpectedSize));
    bool ok = true;
    off_t written = 0, flushing = 0;
    const TByteSink sink = [&](std::string_view aBytes) {
        size_t done = 0;
        while (ok && done < aBytes.size()) {
            const ssize_t n = ::write(fd, aBytes.data() + done, aBytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0)
                ok = false;
            else
                done += static_cast<size_t>(n);
        }
        if (!ok) throw EFileError(failure);
        written += static_cast<off_t>(done);
        // The disk starts on what is written while the rest is produced: the flush at the end
        // then waits for little more than the last piece.
        if (written - flushing >= kFlushPiece) {
            ::sync_file_range(fd, flushing, written - flushing, SYNC_FILE_RANGE_WRITE);
            flushing = written;
        }
    };
    try {
        aProduce(sink);
    } catch (...) {
        ::close(fd);
        ::unlink(temp.c_str());
        throw;
    }
    if (aExpectedSize > 0 && static_cast<uint64_t>(written) != aExpectedSize)
        ok = ok && ::ftruncate(fd, written) == 0;
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && std::rename(temp.c_str(), aPath.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        throw EFileError(failure);
    }
    // The rename itself reaches the disk with the folder: without this a power cut could bring
    // back the old name after the save was reported done.
    const std::filesystem::path folder = aPath.has_parent_path() ? aPath.parent_path() : ".";
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

std::filesystem::path FindFileNoCase(const std::filesystem::path& aDir, const std::string& aName) {
    std::error_code ec;
    if (std::filesystem::exists(aDir / aName, ec)) return aDir / aName;
    for (std::filesystem::directory_iterator it(aDir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (strcasecmp(name.c_str(), aName.c_str()) == 0) return it->path();
    }
    return aDir / aName;
}

std::string IncludeTrailingPathDelimiter(const std::string& aPath) {
    if (!aPath.empty() && aPath.back() == '/') return aPath;
    return aPath + "/";
}

}  // namespace kalvero
