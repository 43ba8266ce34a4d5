#include "common/FileUtil.h"

#include <fcntl.h>
#include <unistd.h>

#include <strings.h>
#include <cerrno>
#include <random>

namespace kalvero {

std::string ReadWholeFile(const std::filesystem::path& aPath) {
    const int fd = ::open(aPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw EFileError("Не удалось открыть файл " + aPath.string());
    std::string data;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            throw EFileError("Не удалось прочитать файл " + aPath.string());
        }
        if (n == 0) break;
        data.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return data;
}

void WriteFileAtomic(const std::filesystem::path& aPath, std::string_view aBytes) {
    const std::string failure = "Не удалось записать файл " + aPath.string();
    std::random_device rd;
    const std::filesystem::path temp =
        aPath.parent_path() / ("." + aPath.filename().string() + ".tmp" + std::to_string(rd() % 1000000));
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) throw EFileError(failure);
    bool ok = true;
    size_t done = 0;
    while (ok && done < aBytes.size()) {
        const ssize_t n = ::write(fd, aBytes.data() + done, aBytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            ok = false;
        else
            done += static_cast<size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && std::rename(temp.c_str(), aPath.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        throw EFileError(failure);
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
