#include "common/Logger.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <regex>
#include <set>
#include <thread>

#include "support/TempDir.h"

namespace kalvero {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::WriteFileBytes;

const std::string kStars(144, '*');

std::vector<std::string> Lines(const fs::path& aFile) {
    const std::string text = ReadFileBytes(aFile);
    std::vector<std::string> lines;
    for (size_t pos = 0, end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2) {
        lines.push_back(text.substr(pos, end - pos));
    }
    return lines;
}

size_t Count(const std::string& aText, const std::string& aPart) {
    size_t n = 0;
    for (size_t pos = aText.find(aPart); pos != std::string::npos; pos = aText.find(aPart, pos + 1))
        ++n;
    return n;
}

// Sets a file's last-write time to a local date-time.
void SetFileTime(const fs::path& aFile, TDateTime aLocal) {
    const RDateTimeParts p = DecodeDateTime(aLocal);
    std::tm tm{};
    tm.tm_year = p.year - 1900, tm.tm_mon = p.month - 1, tm.tm_mday = p.day;
    tm.tm_hour = p.hour, tm.tm_min = p.minute, tm.tm_sec = p.second, tm.tm_isdst = -1;
    const auto sys = std::chrono::system_clock::from_time_t(std::mktime(&tm));
    fs::last_write_time(aFile, std::chrono::file_clock::from_sys(sys));
}

class LoggerTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directory(LogDir()); }
    void TearDown() override { TLogger::SetClockForTests(nullptr); }
    void FixClock(TDateTime aNow) {
        fNow = aNow;
        TLogger::SetClockForTests([this] { return fNow; });
    }
    fs::path LogDir() const { return fDir.Path() / "log"; }
    fs::path LogFile(const std::string& aName = "Mod.log") const { return LogDir() / aName; }

    test::TTempDir fDir;
    TDateTime fNow = 0;
};

TEST_F(LoggerTest, OffEngineCreatesNoFolderAndNoFile) {
    fs::remove(LogDir());
    {
        TLogger log("Mod", fDir.Str(), llNone);
        log.Error("Cls", "e");
        log.Log(llError, "Cls", 1);
    }
    EXPECT_TRUE(fs::is_empty(fDir.Path()));
}

TEST_F(LoggerTest, BannerLinesAndDestructionLineHaveTheExactForm) {
    FixClock(EncodeDateTime(2021, 4, 16, 10, 20, 30));
    {
        TLogger log("Mod", llDebug, leANSI, 7, false, fDir.Str());
        EXPECT_FALSE(log.GetCreateNewLogOnEveryStart());
        log.Info("TKalveroForm", "text");
        log.Error("Cls", "");
    }
    const std::string p = "2021-04-16 10:20:30 [LOG     ] [Mod] (TLogger) ";
    const std::vector<std::string> expected = {
        p,
        p + kStars,
        p + "(***LOGGER***) Log engine created [logLevel: DEBUG   ; Encoding: ANSI (Win-1251); "
            "DaysForDeleteOldFiles: 7] Module: Mod",
        p + kStars,
        p,
        "2021-04-16 10:20:30 [INFO    ] [Mod] (TKalveroForm) text",
        "2021-04-16 10:20:30 [ERROR   ] [Mod] (Cls) ",
        p + "(***LOGGER***) Log engine destroyed."};
    EXPECT_EQ(Lines(LogFile()), expected);
}

TEST_F(LoggerTest, ShortFormDefaultsAndMessageTypes) {
    FixClock(EncodeDateTime(2021, 4, 16, 10, 0, 0));
    TLogger log("Mod", fDir.Str(), llInfo);
    EXPECT_EQ(log.getEncoding(), leANSI);
    EXPECT_EQ(log.getDaysForDeleteLog(), 15);
    EXPECT_TRUE(log.GetCreateNewLogOnEveryStart());
    log.Info("C", "literal");  // must not be taken for a boolean
    log.Info("C", -42);
    log.Info("C", true);
    log.Info("C", false);
    for (double v :
         {2.5, 0.1, 100.0, 1.0 / 3, 2.0 / 3, 123456789012345.0, 1e15, 1e20, 0.0001, 1e-5, -1.5e-7, 0.0}) {
        log.Info("C", v);
    }
    std::vector<std::string> texts;
    for (const std::string& line : Lines(LogFile()))
        texts.push_back(line.substr(line.find("(C) ") + 4));
    texts.erase(texts.begin(), texts.begin() + 5);
    const std::vector<std::string> expected = {"literal",
                                               "-42",
                                               "TRUE",
                                               "FALSE",
                                               "2.5",
                                               "0.1",
                                               "100",
                                               "0.333333333333333",
                                               "0.666666666666667",
                                               "123456789012345",
                                               "1E15",
                                               "1E20",
                                               "0.0001",
                                               "1E-5",
                                               "-1.5E-7",
                                               "0"};
    EXPECT_EQ(texts, expected);
    EXPECT_NE(ReadFileBytes(LogFile()).find("DaysForDeleteOldFiles: 15] Module: Mod"), std::string::npos);
}

TEST_F(LoggerTest, LevelThresholds) {
    const char* names[] = {"ERROR   ", "INFO    ", "DEBUG   ", "DISTURB "};
    for (int level = llError; level <= llDisturb; ++level) {
        const std::string module = "L" + std::to_string(level);
        TLogger log(module, fDir.Str(), static_cast<enmLogLevel>(level));
        log.Error("C", 1);
        log.Info("C", 2);
        log.Debug("C", 3);
        log.Disturb("C", 4);
        log.Log(llDisturb, "C", "forced");  // no threshold test at all
        const std::string text = ReadFileBytes(LogFile(module + ".log"));
        for (int i = 0; i < 4; ++i) {
            const std::string line =
                "[" + std::string(names[i]) + "] [" + module + "] (C) " + std::to_string(i + 1);
            EXPECT_EQ(Count(text, line + "\r\n"), i < level ? 1u : 0u) << line;
        }
        EXPECT_EQ(Count(text, "[DISTURB ] [" + module + "] (C) forced\r\n"), 1u);
    }
}

TEST_F(LoggerTest, SecondStartOnTheSameDayAppendsASecondBanner) {
    TLogger("Mod", fDir.Str(), llInfo).Info("C", "first");
    TLogger("Mod", fDir.Str(), llInfo).Info("C", "second");
    const std::string text = ReadFileBytes(LogFile());
    EXPECT_EQ(Count(text, "Log engine created"), 2u);
    EXPECT_EQ(Count(text, "Log engine destroyed"), 2u);
    EXPECT_LT(text.find("first"), text.find("second"));
    EXPECT_EQ(std::distance(fs::directory_iterator(LogDir()), fs::directory_iterator()), 1);
}

TEST_F(LoggerTest, StartOnALaterDayRenamesTheFileToItsLastWriteDate) {
    const TDateTime yesterday = Today() - 1;
    const fs::path dated = LogFile(FormatDateTime(LOG_DATE_FORMAT, yesterday) + "_Mod.log");
    WriteFileBytes(dated, "older file of that name\r\n");
    WriteFileBytes(LogFile(), "old line\r\n");
    SetFileTime(LogFile(), yesterday + 0.5);
    TLogger log("Mod", fDir.Str(), llInfo);
    EXPECT_EQ(ReadFileBytes(dated), "old line\r\n");
    const std::vector<std::string> lines = Lines(LogFile());
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_NE(lines[2].find("Log engine created"), std::string::npos);
}

TEST_F(LoggerTest, FailedRenameKeepsTheOldLines) {
    const TDateTime yesterday = Today() - 1;
    // A non-empty folder under the dated name makes the rename fail, even for root.
    fs::create_directories(LogFile(FormatDateTime(LOG_DATE_FORMAT, yesterday) + "_Mod.log") / "x");
    WriteFileBytes(LogFile(), "kept\r\n");
    SetFileTime(LogFile(), yesterday + 0.5);
    TLogger log("Mod", fDir.Str(), llInfo);
    const std::vector<std::string> lines = Lines(LogFile());
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "kept");
}

TEST_F(LoggerTest, ClockPassingMidnightRollsOverOnTheNextWrite) {
    FixClock(EncodeDateTime(2021, 4, 15, 23, 59, 58));
    TLogger log("Mod", fDir.Str(), llInfo);
    log.Info("C", "before");
    SetFileTime(LogFile(), fNow);
    fNow = EncodeDateTime(2021, 4, 16, 0, 0, 1);
    log.Info("C", "after");

    const std::string old = ReadFileBytes(LogFile("2021-04-15_Mod.log"));
    EXPECT_EQ(Count(old, "Log engine created"), 1u);
    EXPECT_EQ(Count(old, "2021-04-15 23:59:58 [INFO    ] [Mod] (C) before\r\n"), 1u);
    const std::vector<std::string> lines = Lines(LogFile());
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "2021-04-16 00:00:01 [LOG     ] [Mod] (TLogger) ");
    EXPECT_EQ(lines[5], "2021-04-16 00:00:01 [INFO    ] [Mod] (C) after");
}

TEST_F(LoggerTest, DeletesOnlyThisModulesDatedFilesBeforeTheThreshold) {
    FixClock(EncodeDateTime(2021, 4, 16, 9, 0, 0));
    for (const char* name : {"2021-03-01_Mod.log", "2021-03-31_mod.LOG", "2021-04-01_Mod.log",
                             "2021-04-15_Mod.log", "2021-03-01_XMod.log", "notes.txt"}) {
        WriteFileBytes(LogFile(name), "x");
    }
    // "0Mod.log" sorts before the dated names, yet it is a live file (of another module, too).
    TLogger first("0Mod", fDir.Str(), llInfo);
    first.Info("C", "still here");
    TLogger log("Mod", fDir.Str(), llInfo);

    EXPECT_FALSE(fs::exists(LogFile("2021-03-01_Mod.log")));
    EXPECT_FALSE(fs::exists(LogFile("2021-03-31_mod.LOG")));
    for (const char* kept :
         {"2021-04-01_Mod.log", "2021-04-15_Mod.log", "2021-03-01_XMod.log", "notes.txt"}) {
        EXPECT_TRUE(fs::exists(LogFile(kept))) << kept;
    }
    EXPECT_EQ(Count(ReadFileBytes(LogFile("0Mod.log")), "still here"), 1u);
    EXPECT_EQ(Count(ReadFileBytes(LogFile()), "Cannot delete"), 0u);
}

TEST_F(LoggerTest, UndeletableOldFileIsReportedAndTheLoopGoesOn) {
    FixClock(EncodeDateTime(2021, 4, 16, 9, 0, 0));
    WriteFileBytes(LogFile("2021-03-01_Mod.log"), "x");
    WriteFileBytes(LogFile("2021-03-02_Mod.log"), "x");
    WriteFileBytes(LogFile(), "");
    SetFileTime(LogFile(), fNow);
    fs::permissions(LogFile(), fs::perms::all);
    fs::permissions(LogDir(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                  fs::perms::others_exec);
    // Root ignores folder permissions, so the logger runs in a child with the rights of "nobody".
    const pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
        try {
            TLogger log("Mod", fDir.Str(), llError);
        } catch (...) {
            _exit(3);
        }
        _exit(0);
    }
    int status = -1;
    waitpid(pid, &status, 0);
    fs::permissions(LogDir(), fs::perms::owner_all);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const std::string text = ReadFileBytes(LogFile());
    for (const char* name : {"2021-03-01_Mod.log", "2021-03-02_Mod.log"}) {
        EXPECT_EQ(
            Count(text, "[ERROR   ] [Mod] (TLogger) Cannot delete old log file:" + LogFile(name).string()),
            1u);
        EXPECT_TRUE(fs::exists(LogFile(name)));
    }
}

TEST_F(LoggerTest, UnwritableFileFallsBackToATemporaryName) {
    fs::create_directory(LogFile());  // opening it for writing fails whoever we are
    TLogger log("Mod", fDir.Str(), llInfo);
    EXPECT_TRUE(std::regex_match(log.LogFileName(), std::regex(".*/log/Mod_TMP0[0-9A-F]{5}\\.log")));
    EXPECT_EQ(Lines(log.LogFileName()).size(), 5u);
}

TEST_F(LoggerTest, AnsiWritesWindows1251Bytes) {
    TLogger log("Mod", fDir.Str(), llInfo);
    log.Info("C", std::string("Привет, мир"));
    EXPECT_EQ(Count(ReadFileBytes(LogFile()), "(C) \xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0\r\n"), 1u);
}

TEST_F(LoggerTest, Utf16WritesLittleEndianUnitsWithoutByteOrderMark) {
    FixClock(EncodeDateTime(2021, 4, 16, 10, 20, 30));
    TLogger log("Mod", llInfo, leUTF16, 15, true, fDir.Str());
    log.Info("C", "Тест");
    std::string expected;
    for (char c : std::string("2021-04-16 10:20:30 [INFO    ] [Mod] (C) "))
        expected += std::string{c, '\0'};
    expected += std::string("\x22\x04\x35\x04\x41\x04\x42\x04\r\0\n\0", 12);
    const std::string bytes = ReadFileBytes(LogFile());
    EXPECT_EQ(bytes.substr(0, 2), std::string("2\0", 2));
    ASSERT_GE(bytes.size(), expected.size());
    EXPECT_EQ(bytes.substr(bytes.size() - expected.size()), expected);
}

TEST_F(LoggerTest, UnknownEncodingIsRejected) {
    try {
        TLogger log("Mod", llInfo, static_cast<enmLogEncoding>(7), 15, true, fDir.Str());
        FAIL() << "no exception";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "Unknown log encoding");
    }
}

TEST_F(LoggerTest, ConcurrentWritersProduceWholeLines) {
    FixClock(EncodeDateTime(2021, 4, 16, 12, 0, 0));
    constexpr int kThreads = 4, kLines = 300;
    {
        TLogger log("Mod", fDir.Str(), llInfo);
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&log, t] {
                for (int i = 0; i < kLines; ++i)
                    log.Info("T", std::to_string(t) + ":" + std::to_string(i) + ":" + std::string(200, 'x'));
            });
        }
        for (auto& th : threads)
            th.join();
    }
    const std::regex line(R"(2021-04-16 12:00:00 \[INFO    \] \[Mod\] \(T\) (\d+:\d+):x{200})");
    std::set<std::string> seen;
    for (const std::string& text : Lines(LogFile())) {
        std::smatch m;
        if (text.find("(TLogger)") != std::string::npos) continue;
        ASSERT_TRUE(std::regex_match(text, m, line)) << text;
        seen.insert(m[1]);
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(kThreads * kLines));
}

TEST(LoggerHelpers, ScanDirPlaneMatchesWildcardsInOneFolderOnly) {
    test::TTempDir dir;
    for (const char* name : {"a_Mod.log", "MOD.LOG", "Mod.log.bak", "xod.log"})
        WriteFileBytes(dir.Path() / name, "");
    fs::create_directories(dir.Path() / "b_Mod.log" / "c_Mod.log");
    std::vector<std::string> files{"kept"};
    EXPECT_EQ(TLogger::ScanDirPlane(dir.Str(), "*mod.log", files), 2);
    std::sort(files.begin() + 1, files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"kept", dir.Str() + "MOD.LOG", dir.Str() + "a_Mod.log"}));
    files.clear();
    EXPECT_EQ(TLogger::ScanDirPlane(dir.Str(), "?od.l?g", files), 2);
    EXPECT_EQ(TLogger::ScanDirPlane(dir.Str() + "missing", "*", files), 0);
}

TEST(LoggerHelpers, FileTimeToDateTimeGivesLocalTime) {
    EXPECT_EQ(TLogger::FileTimeToDateTime(fs::file_time_type{}), 0);
    test::TTempDir dir;
    WriteFileBytes(dir.Path() / "f", "");
    SetFileTime(dir.Path() / "f", EncodeDateTime(2021, 4, 15, 13, 45, 30));
    EXPECT_EQ(FormatDateTime(LOG_DATE_TIME_FORMAT,
                             TLogger::FileTimeToDateTime(fs::last_write_time(dir.Path() / "f"))),
              "2021-04-15 13:45:30");
}

void LocalFunction() {}

TEST(LoggerHelpers, GetPathNamesTheFolderOfTheModule) {
    const fs::path exeDir = fs::read_symlink("/proc/self/exe").parent_path();
    EXPECT_EQ(TLogger::GetPath(reinterpret_cast<const void*>(&LocalFunction)), exeDir.string() + "/");
    // The build puts programs in bin/ and the shared library in lib/ beside it.
    EXPECT_EQ(fs::canonical(TLogger::GetPath(reinterpret_cast<const void*>(&enmLogLevelName))),
              fs::canonical(exeDir.parent_path() / "lib"));
    EXPECT_EQ(TLogger::GetPath(nullptr), "");
}

}  // namespace
}  // namespace kalvero
