#pragma once
// The log engine: one plain text file per module and day under <base>/log/, daily rollover with
// the old file renamed to its date, deletion of dated files older than a number of days.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "common/DateTime.h"

namespace kalvero {

enum enmLogLevel : uint8_t { llNone = 0, llError = 1, llInfo = 2, llDebug = 3, llDisturb = 4 };
enum enmLogEncoding : uint8_t { leANSI = 0, leUTF16 = 1 };

// "LOG", "ERROR", "INFO", "DEBUG", "DISTURB".
const char* enmLogLevelName(enmLogLevel aLevel);
// "ANSI (Win-1251)", "UTF-16".
const char* enmLogEncodingName(enmLogEncoding aEncoding);

inline constexpr const char* LOGFILES_DIR = "log";
inline constexpr const char* LOGFILE_EXTENSION = ".log";
inline constexpr const char* LOG_DATE_FORMAT = "yyyy-mm-dd";
inline constexpr const char* LOG_DATE_TIME_FORMAT = "yyyy-mm-dd hh:mm:ss";
inline constexpr const char* LOG_ENGINE_MSG = "(***LOGGER***)";
inline constexpr uint16_t LOG_DAYS_FOR_DELETE_LOG = 15;

class TLogger {
public:
    // Short form: a new log on every start, 15 days kept, ANSI.
    TLogger(const std::string& aModuleName, const std::string& aLogPath, enmLogLevel aLoglevel);
    TLogger(const std::string& aModuleName, enmLogLevel aLogLevel, enmLogEncoding aEncoding,
            uint16_t aDaysForDeleteLog, bool aCreateNewLogOnEveryStart, const std::string& aLogPath);
    ~TLogger();
    TLogger(const TLogger&) = delete;
    TLogger& operator=(const TLogger&) = delete;

    // The const char* forms keep a string literal from binding to the bool overload.
    void Error(const std::string& aClassName, const std::string& aMSG);
    void Error(const std::string& aClassName, const char* aMSG);
    void Error(const std::string& aClassName, int aIntMsg);
    void Error(const std::string& aClassName, bool aBoolMsg);
    void Error(const std::string& aClassName, double aExtMsg);
    void Info(const std::string& aClassName, const std::string& aMSG);
    void Info(const std::string& aClassName, const char* aMSG);
    void Info(const std::string& aClassName, int aIntMsg);
    void Info(const std::string& aClassName, bool aBoolMsg);
    void Info(const std::string& aClassName, double aExtMsg);
    void Debug(const std::string& aClassName, const std::string& aMSG);
    void Debug(const std::string& aClassName, const char* aMSG);
    void Debug(const std::string& aClassName, int aIntMsg);
    void Debug(const std::string& aClassName, bool aBoolMsg);
    void Debug(const std::string& aClassName, double aExtMsg);
    void Disturb(const std::string& aClassName, const std::string& aMSG);
    void Disturb(const std::string& aClassName, const char* aMSG);
    void Disturb(const std::string& aClassName, int aIntMsg);
    void Disturb(const std::string& aClassName, bool aBoolMsg);
    void Disturb(const std::string& aClassName, double aExtMsg);
    // Writes whatever the level; only an engine at llNone stays silent.
    void Log(enmLogLevel aLevel, const std::string& aClassName, const std::string& aMSG);
    void Log(enmLogLevel aLevel, const std::string& aClassName, const char* aMSG);
    void Log(enmLogLevel aLevel, const std::string& aClassName, int aIntMsg);
    void Log(enmLogLevel aLevel, const std::string& aClassName, bool aBoolMsg);
    void Log(enmLogLevel aLevel, const std::string& aClassName, double aExtMsg);

    enmLogEncoding getEncoding() const { return fEncoding; }
    uint16_t getDaysForDeleteLog() const { return fDaysForDeleteLog; }
    bool GetCreateNewLogOnEveryStart() const { return fCreateNewLogOnEveryStart; }
    enmLogLevel LogLevel() const { return fLogLevel; }
    const std::string& LogFileName() const { return fLogFileName; }
    const std::string& LogPath() const { return fLogPath; }

    // A file time to a local date-time; the zero file time gives 0.
    static TDateTime FileTimeToDateTime(std::filesystem::file_time_type aFileTime);
    // Folder (with trailing separator) of the module file that holds aAddress (any function or
    // object of that module).
    static std::string GetPath(const void* aAddress);
    // Appends the full names of the files (not folders) of one folder, no recursion, whose names
    // match aMask ("*" and "?" wildcards, ASCII case ignored); returns how many were appended.
    static int ScanDirPlane(const std::string& aDir, const std::string& aMask,
                            std::vector<std::string>& aListFiles);

    // Replaces the clock of every logger (an empty function restores the system clock), so that
    // tests can cross midnight without waiting. Set it while no logger is writing.
    static void SetClockForTests(std::function<TDateTime()> aClock);

private:
    void CreateLogFileStream();
    void DeleteOldFiles();
    void WriteBanner();
    void WriteToLog(enmLogLevel aLevel, const std::string& aLine);
    bool OpenLogFile();
    void WriteBytes(const std::string& aText);

    std::recursive_mutex fCS_WriteToLog;
    std::string fLogPath;
    std::string fLogFileName;
    enmLogEncoding fEncoding;
    uint16_t fDaysForDeleteLog;
    bool fCreateNewLogOnEveryStart;
    std::string fModuleName;
    std::ofstream fLogFileStream;
    TDateTime fLogFileStreamDateTime = 0;
    enmLogLevel fLogLevel;
};

}  // namespace kalvero
