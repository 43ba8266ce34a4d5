// "recover": a recording killed with SIGKILL comes back from the recovery folder, complete up to
// its last flush, and is written into an experiment file.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

#include "support/RunCli.h"

extern char** environ;

using namespace kalvero::test;
using nlohmann::json;

namespace {

std::string CliPath() {
    const char* fromEnv = std::getenv("KALVERO_CLI");
    return fromEnv ? fromEnv
                   : (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "kalvero-cli").string();
}

// The largest recovery file in the folder, in bytes (0 when none).
uintmax_t RecoverySize(const std::filesystem::path& aFolder) {
    uintmax_t size = 0;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(aFolder, ec))
        if (e.path().extension() == ".krec") size = std::max(size, e.file_size(ec));
    return size;
}

TEST(RecoverCommand, AKilledRecordingIsRestoredIntoAFile) {
    TTempDir dir;
    const std::string data = dir.Str() + "data";
    std::filesystem::create_directories(data);
    WriteFileBytes(dir.Path() / "data" / "Settings.ini", "[ApplicationParameters]\nFileVersion=1.2\n");
    WriteFileBytes(dir.Path() / "data" / "Devices.ini",
                   "[DEFAULT_DEVICE]\nInterfaceType=EMU\nfrequency=10\n[SIMULATED_CELL]\nSpeed=100\n");
    const std::string out = dir.Str() + "run.dsc";
    std::vector<std::string> args{CliPath(),   "--data-dir", data,    "record",
                                  "--seconds", "100000",     "--out", out};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0);

    // Wait until the run has flushed a good stretch (more than a header and a few seconds).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (RecoverySize(dir.Path() / "data" / "recovery") < 20000 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const uintmax_t flushedBytes = RecoverySize(dir.Path() / "data" / "recovery");
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_GE(flushedBytes, 20000u);
    EXPECT_FALSE(std::filesystem::exists(out));

    const std::string dataArg = "--data-dir " + ShellQuote(data);
    RCliResult r = RunCli(dataArg + " --json recover");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    json list = json::parse(r.out);
    ASSERT_EQ(list["runs"].size(), 1u);
    const int items = list["runs"][0]["itemCount"];
    EXPECT_GT(items, 100);
    EXPECT_EQ(list["runs"][0]["experiment"], out);

    r = RunCli(dataArg + " --json recover --out " + ShellQuote(out));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = RunCli(dataArg + " --json info " + ShellQuote(out));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(json::parse(r.out)["itemCount"].get<int>(), items);
    r = RunCli(dataArg + " --json recover");
    EXPECT_TRUE(json::parse(r.out)["runs"].empty());  // restored and saved: gone

    EXPECT_EQ(RunCli(dataArg + " recover --run 3 --out x.dsc").exitCode, 1);
}

}  // namespace
