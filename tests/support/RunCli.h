#pragma once
// Runs the kalvero-cli executable and captures its output.

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/TempDir.h"

namespace kalvero::test {

struct RCliResult {
    int exitCode = -1;
    std::string out, err;
};

inline std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// A program-data folder "data" inside aDir whose settings store every channel of an experiment
// and that knows no device; returns its path quoted for the command line.
inline std::string MakeCliDataDir(const TTempDir& aDir) {
    std::filesystem::create_directories(aDir.Path() / "data");
    WriteFileBytes(aDir.Path() / "data" / "Settings.ini", "[ApplicationParameters]\nFileVersion=1.2\n");
    WriteFileBytes(aDir.Path() / "data" / "Devices.ini", "");
    return ShellQuote(aDir.Str() + "data");
}

inline RCliResult RunCli(const std::string& aArgs, const std::string& aEnv = "") {
    static TTempDir outputs;
    // CTest names the executable; run by hand, the test finds it beside itself in bin/.
    const char* fromEnv = std::getenv("KALVERO_CLI");
    const std::string cli =
        fromEnv ? std::string(fromEnv)
                : (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "kalvero-cli").string();
    RCliResult r;
    const std::string out = (outputs.Path() / "out").string(), err = (outputs.Path() / "err").string();
    const std::string command =
        aEnv + " " + ShellQuote(cli) + " " + aArgs + " >" + out + " 2>" + err + " </dev/null";
    const int status = std::system(command.c_str());
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadFileBytes(out);
    r.err = ReadFileBytes(err);
    return r;
}

}  // namespace kalvero::test
