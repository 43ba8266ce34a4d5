#include "common/Logger.h"

#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <stdexcept>

#include "common/Cp1251.h"

namespace kalvero {
namespace fs = std::filesystem;

namespace {

constexpr const char* kClassName = "TLogger";

std::function<TDateTime()>& TestClock() {
    static std::function<TDateTime()> clock;
    return clock;
}

TDateTime ClockNow() {
    const auto& clock = TestClock();
    return clock ? clock() : Now();
}

std::string WithTrailingSlash(std::string aPath) {
    if (!aPath.empty() && aPath.back() != '/') aPath += '/';
    return aPath;
}

char LowerAscii(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

bool LessNoCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return LowerAscii(x) < LowerAscii(y); });
}

// "*" matches any run of characters, "?" exactly one; ASCII letters match either case.
bool MatchesMask(std::string_view aName, std::string_view aMask) {
    size_t n = 0, m = 0, starMask = std::string_view::npos, starName = 0;
    while (n < aName.size()) {
        if (m < aMask.size() && (aMask[m] == '?' || LowerAscii(aMask[m]) == LowerAscii(aName[n]))) {
            ++n, ++m;
        } else if (m < aMask.size() && aMask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < aMask.size() && aMask[m] == '*')
        ++m;
    return m == aMask.size();
}

// "yyyy-mm-dd" + aSuffix: the name a daily file of a module gets when it is rolled over.
bool IsDatedName(const std::string& aName, const std::string& aSuffix) {
    if (aName.size() != 10 + aSuffix.size()) return false;
    for (size_t i = 0; i < 10; ++i) {
        const bool dash = i == 4 || i == 7;
        if (dash ? aName[i] != '-' : !std::isdigit(static_cast<unsigned char>(aName[i]))) return false;
    }
    return EqualsNoCase(std::string_view(aName).substr(10), aSuffix);
}

// The general float form: 15 significant digits, trailing zeros dropped, "." as separator;
// scientific ("1.5E-7", "1E20") when the value needs more than 15 integer digits or is below 1E-4.
std::string FloatToText(double aValue) {
    if (std::isnan(aValue)) return "NAN";
    if (std::isinf(aValue)) return aValue > 0 ? "INF" : "-INF";
    if (aValue == 0) return "0";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.14E", std::fabs(aValue));
    const std::string text = buf;
    const size_t ePos = text.find('E');
    const int exponent = std::stoi(text.substr(ePos + 1));
    std::string digits = text.substr(0, 1) + text.substr(2, ePos - 2);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = aValue < 0 ? "-" : "";
    if (exponent >= 15 || exponent < -4) {
        out += digits.substr(0, 1);
        if (digits.size() > 1) out += "." + digits.substr(1);
        return out + "E" + std::to_string(exponent);
    }
    if (exponent < 0) return out + "0." + std::string(-exponent - 1, '0') + digits;
    const size_t intDigits = static_cast<size_t>(exponent) + 1;
    if (digits.size() <= intDigits) return out + digits + std::string(intDigits - digits.size(), '0');
    return out + digits.substr(0, intDigits) + "." + digits.substr(intDigits);
}

std::string RandomHex6() {
    std::random_device rd;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06X", static_cast<unsigned>(rd() % 100000));
    return buf;
}

}  // namespace

const char* enmLogLevelName(enmLogLevel aLevel) {
    switch (aLevel) {
        case llNone:
            return "LOG";
        case llError:
            return "ERROR";
        case llInfo:
            return "INFO";
        case llDebug:
            return "DEBUG";
        case llDisturb:
            return "DISTURB";
    }
    return "?";
}

const char* enmLogEncodingName(enmLogEncoding aEncoding) {
    switch (aEncoding) {
        case leANSI:
            return "ANSI (Win-1251)";
        case leUTF16:
            return "UTF-16";
    }
    return "?";
}

TLogger::TLogger(const std::string& aModuleName, const std::string& aLogPath, enmLogLevel aLoglevel)
    : TLogger(aModuleName, aLoglevel, leANSI, LOG_DAYS_FOR_DELETE_LOG, true, aLogPath) {}

TLogger::TLogger(const std::string& aModuleName, enmLogLevel aLogLevel, enmLogEncoding aEncoding,
                 uint16_t aDaysForDeleteLog, bool aCreateNewLogOnEveryStart, const std::string& aLogPath)
    : fEncoding(aEncoding),
      fDaysForDeleteLog(aDaysForDeleteLog),
      fCreateNewLogOnEveryStart(aCreateNewLogOnEveryStart),
      fModuleName(aModuleName),
      fLogLevel(aLogLevel) {
    fLogPath = WithTrailingSlash(aLogPath) + LOGFILES_DIR;
    if (fLogLevel != llNone) {
        std::error_code ec;
        if (!fs::is_directory(fLogPath, ec)) fs::create_directory(fLogPath, ec);
    }
    fLogPath += '/';
    CreateLogFileStream();
}

TLogger::~TLogger() {
    try {
        Log(llNone, kClassName, std::string(LOG_ENGINE_MSG) + " Log engine destroyed.");
    } catch (...) {
        // Nothing sensible is left to report to at this point.
    }
}

void TLogger::SetClockForTests(std::function<TDateTime()> aClock) {
    TestClock() = std::move(aClock);
}

void TLogger::CreateLogFileStream() {
    if (fLogLevel == llNone) return;
    if (!OpenLogFile()) throw std::runtime_error("Cannot create log file: " + fLogFileName);
    WriteBanner();
    DeleteOldFiles();
}

// Opens the module file for appending, or rolls it over first when it was last written on
// another day. Returns false when no file could be opened.
bool TLogger::OpenLogFile() {
    constexpr auto kCreate = std::ios::out | std::ios::binary | std::ios::trunc;
    constexpr auto kAppend = std::ios::out | std::ios::binary | std::ios::app;

    fLogFileName = fLogPath + fModuleName + LOGFILE_EXTENSION;
    if (fLogFileStream.is_open()) fLogFileStream.close();
    fLogFileStream.clear();
    fLogFileStreamDateTime = ClockNow();

    std::error_code ec;
    if (!fs::exists(fLogFileName, ec)) {
        fLogFileStream.open(fLogFileName, kCreate);
        return fLogFileStream.is_open();
    }
    fLogFileStream.open(fLogFileName, kAppend);
    if (!fLogFileStream.is_open()) {
        // The file cannot be written to (held or protected): log beside it under a fresh name.
        fLogFileName = fLogPath + fModuleName + "_TMP" + RandomHex6() + LOGFILE_EXTENSION;
        fLogFileStream.clear();
        fLogFileStream.open(fLogFileName, kCreate);
        return fLogFileStream.is_open();
    }

    const auto fileTime = fs::last_write_time(fLogFileName, ec);
    if (ec) return true;
    const TDateTime lastWrite = FileTimeToDateTime(fileTime);
    if (lastWrite == 0 || DatePart(lastWrite) == DatePart(fLogFileStreamDateTime)) return true;

    fLogFileStream.close();
    const std::string datedName =
        fLogPath + FormatDateTime(LOG_DATE_FORMAT, lastWrite) + "_" + fModuleName + LOGFILE_EXTENSION;
    // rename replaces an older file of the dated name in one step. Should it fail, the current
    // file is appended to rather than emptied, so that no lines are lost.
    fs::rename(fLogFileName, datedName, ec);
    fLogFileStream.clear();
    fLogFileStream.open(fLogFileName, ec ? kAppend : kCreate);
    return fLogFileStream.is_open();
}

void TLogger::WriteBanner() {
    const std::string stars(144, '*');
    char created[256];
    std::snprintf(created, sizeof created,
                  "%s Log engine created [logLevel: %-8s; Encoding: %s; DaysForDeleteOldFiles: %d]",
                  LOG_ENGINE_MSG, enmLogLevelName(fLogLevel), enmLogEncodingName(fEncoding),
                  static_cast<int>(fDaysForDeleteLog));
    Log(llNone, kClassName, std::string());
    Log(llNone, kClassName, stars);
    Log(llNone, kClassName, std::string(created) + " Module: " + fModuleName);
    Log(llNone, kClassName, stars);
    Log(llNone, kClassName, std::string());
}

// Deletes the dated files of this module older than the kept number of days. Only names of the
// form "yyyy-mm-dd_<module>.log" are candidates: the file being written and the files of other
// modules whose names merely end the same way are never touched.
void TLogger::DeleteOldFiles() {
    const std::string suffix = "_" + fModuleName + LOGFILE_EXTENSION;
    std::vector<std::string> files;
    if (ScanDirPlane(fLogPath, "*" + fModuleName + LOGFILE_EXTENSION, files) == 0) return;
    std::sort(files.begin(), files.end(), LessNoCase);

    const TDateTime threshold = static_cast<TDateTime>(DatePart(ClockNow()) - fDaysForDeleteLog);
    const std::string thresholdDate = FormatDateTime(LOG_DATE_FORMAT, threshold);
    for (const std::string& file : files) {
        const std::string name = file.substr(fLogPath.size());
        if (!IsDatedName(name, suffix) || name.compare(0, 10, thresholdDate) >= 0) continue;
        std::error_code ec;
        if (!fs::remove(file, ec) && ec) Error(kClassName, "Cannot delete old log file:" + file);
    }
}

void TLogger::WriteToLog(enmLogLevel /*aLevel: already part of aLine*/, const std::string& aLine) {
    if (fLogLevel == llNone) return;
    std::lock_guard<std::recursive_mutex> lock(fCS_WriteToLog);
    if (DatePart(ClockNow()) != DatePart(fLogFileStreamDateTime)) {
        try {
            CreateLogFileStream();
        } catch (const std::runtime_error&) {
            // A logging call must not fail its caller; lines are dropped until the next day's reopen.
        }
    }
    if (!fLogFileStream.is_open()) return;
    WriteBytes(FormatDateTime(LOG_DATE_TIME_FORMAT, ClockNow()) + " " + aLine + "\r\n");
}

void TLogger::WriteBytes(const std::string& aText) {
    std::string bytes;
    switch (fEncoding) {
        case leANSI:
            bytes = Utf8ToCp1251(aText);
            break;
        case leUTF16:
            for (char16_t unit : Utf8ToUtf16(aText)) {
                bytes += static_cast<char>(unit & 0xFF);
                bytes += static_cast<char>(unit >> 8);
            }
            break;
        default:
            throw std::logic_error("Unknown log encoding");
    }
    // A failed write (disk full) must not silence the log for good.
    fLogFileStream.clear();
    fLogFileStream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    fLogFileStream.flush();
}

void TLogger::Log(enmLogLevel aLevel, const std::string& aClassName, const std::string& aMSG) {
    if (fLogLevel == llNone) return;
    std::string name = enmLogLevelName(aLevel);
    if (name.size() < 8) name.resize(8, ' ');
    WriteToLog(aLevel, "[" + name + "] [" + fModuleName + "] (" + aClassName + ") " + aMSG);
}

void TLogger::Log(enmLogLevel aLevel, const std::string& aClassName, const char* aMSG) {
    Log(aLevel, aClassName, std::string(aMSG ? aMSG : ""));
}
void TLogger::Log(enmLogLevel aLevel, const std::string& aClassName, int aIntMsg) {
    Log(aLevel, aClassName, std::to_string(aIntMsg));
}
void TLogger::Log(enmLogLevel aLevel, const std::string& aClassName, bool aBoolMsg) {
    Log(aLevel, aClassName, std::string(aBoolMsg ? "TRUE" : "FALSE"));
}
void TLogger::Log(enmLogLevel aLevel, const std::string& aClassName, double aExtMsg) {
    Log(aLevel, aClassName, FloatToText(aExtMsg));
}

// Error writes whenever the engine is on; the others need a level above their own predecessor.
void TLogger::Error(const std::string& aClassName, const std::string& aMSG) {
    Log(llError, aClassName, aMSG);
}
void TLogger::Error(const std::string& aClassName, const char* aMSG) {
    Log(llError, aClassName, aMSG);
}
void TLogger::Error(const std::string& aClassName, int aIntMsg) {
    Log(llError, aClassName, aIntMsg);
}
void TLogger::Error(const std::string& aClassName, bool aBoolMsg) {
    Log(llError, aClassName, aBoolMsg);
}
void TLogger::Error(const std::string& aClassName, double aExtMsg) {
    Log(llError, aClassName, aExtMsg);
}

void TLogger::Info(const std::string& aClassName, const std::string& aMSG) {
    if (fLogLevel > llError) Log(llInfo, aClassName, aMSG);
}
void TLogger::Info(const std::string& aClassName, const char* aMSG) {
    if (fLogLevel > llError) Log(llInfo, aClassName, aMSG);
}
void TLogger::Info(const std::string& aClassName, int aIntMsg) {
    if (fLogLevel > llError) Log(llInfo, aClassName, aIntMsg);
}
void TLogger::Info(const std::string& aClassName, bool aBoolMsg) {
    if (fLogLevel > llError) Log(llInfo, aClassName, aBoolMsg);
}
void TLogger::Info(const std::string& aClassName, double aExtMsg) {
    if (fLogLevel > llError) Log(llInfo, aClassName, aExtMsg);
}

void TLogger::Debug(const std::string& aClassName, const std::string& aMSG) {
    if (fLogLevel > llInfo) Log(llDebug, aClassName, aMSG);
}
void TLogger::Debug(const std::string& aClassName, const char* aMSG) {
    if (fLogLevel > llInfo) Log(llDebug, aClassName, aMSG);
}
void TLogger::Debug(const std::string& aClassName, int aIntMsg) {
    if (fLogLevel > llInfo) Log(llDebug, aClassName, aIntMsg);
}
void TLogger::Debug(const std::string& aClassName, bool aBoolMsg) {
    if (fLogLevel > llInfo) Log(llDebug, aClassName, aBoolMsg);
}
void TLogger::Debug(const std::string& aClassName, double aExtMsg) {
    if (fLogLevel > llInfo) Log(llDebug, aClassName, aExtMsg);
}

void TLogger::Disturb(const std::string& aClassName, const std::string& aMSG) {
    if (fLogLevel == llDisturb) Log(llDisturb, aClassName, aMSG);
}
void TLogger::Disturb(const std::string& aClassName, const char* aMSG) {
    if (fLogLevel == llDisturb) Log(llDisturb, aClassName, aMSG);
}
void TLogger::Disturb(const std::string& aClassName, int aIntMsg) {
    if (fLogLevel == llDisturb) Log(llDisturb, aClassName, aIntMsg);
}
void TLogger::Disturb(const std::string& aClassName, bool aBoolMsg) {
    if (fLogLevel == llDisturb) Log(llDisturb, aClassName, aBoolMsg);
}
void TLogger::Disturb(const std::string& aClassName, double aExtMsg) {
    if (fLogLevel == llDisturb) Log(llDisturb, aClassName, aExtMsg);
}

TDateTime TLogger::FileTimeToDateTime(fs::file_time_type aFileTime) {
    using namespace std::chrono;
    if (aFileTime.time_since_epoch().count() == 0) return 0;
    const auto sinceUnix = floor<milliseconds>(file_clock::to_sys(aFileTime).time_since_epoch());
    const auto secs = floor<seconds>(sinceUnix);
    try {
        return UnixToDateTime(secs.count()) + static_cast<double>((sinceUnix - secs).count()) / 86400000.0;
    } catch (const std::invalid_argument&) {
        return 0;  // outside the calendar of date-time values
    }
}

std::string TLogger::GetPath(const void* aAddress) {
    Dl_info info{};
    link_map* module = nullptr;
    if (aAddress == nullptr ||
        dladdr1(aAddress, &info, reinterpret_cast<void**>(&module), RTLD_DL_LINKMAP) == 0) {
        return std::string();
    }
    fs::path file;
    std::error_code ec;
    if (module != nullptr && module->l_name != nullptr && module->l_name[0] != '\0') {
        file = fs::absolute(module->l_name, ec);
    } else {
        // The main program: the loader only knows it by its argv[0].
        file = fs::read_symlink("/proc/self/exe", ec);
        if (ec && info.dli_fname != nullptr) file = fs::absolute(info.dli_fname, ec);
    }
    return WithTrailingSlash(file.parent_path().string());
}

int TLogger::ScanDirPlane(const std::string& aDir, const std::string& aMask,
                          std::vector<std::string>& aListFiles) {
    const std::string dir = WithTrailingSlash(aDir);
    int count = 0;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) continue;
        const std::string name = it->path().filename().string();
        if (!MatchesMask(name, aMask)) continue;
        aListFiles.push_back(dir + name);
        ++count;
    }
    return count;
}

}  // namespace kalvero
