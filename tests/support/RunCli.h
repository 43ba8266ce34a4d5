#pragma once
// Runs the kalvero-cli executable (path in KALVERO_CLI, set by CTest) and captures its output.

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

inline RCliResult RunCli(const std::string& aArgs, const std::string& aEnv = "") {
    static TTempDir outputs;
    const char* cli = std::getenv("KALVERO_CLI");
    RCliResult r;
    if (!cli) return r;
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
