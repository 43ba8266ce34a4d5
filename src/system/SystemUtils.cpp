#include "system/SystemUtils.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "common/FileUtil.h"
#include "common/FormFields.h"
#include "system/RegistryUtil.h"

extern char** environ;

namespace kalvero::SystemUtils {
namespace {

namespace fs = std::filesystem;

// Runs a program to its end; its standard output in aOutput. −1 when it cannot be started.
int RunProgram(const std::vector<std::string>& aArgs, std::string* aOutput) {
    std::vector<char*> argv;
    for (const std::string& a : aArgs)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int out[2] = {-1, -1};
    if (pipe2(out, O_CLOEXEC) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; spawned == 0 && (n = read(out[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        text.append(buffer, static_cast<size_t>(n));
    }
    close(out[0]);
    if (spawned != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (aOutput) *aOutput = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string DataHome() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg) return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.local/share";
}

std::string XmlText(const std::string& aText) {
    std::string s;
    for (char ch : aText) {
        switch (ch) {
            case '&':
                s += "&amp;";
                break;
            case '<':
                s += "&lt;";
                break;
            case '>':
                s += "&gt;";
                break;
            default:
                s += ch;
        }
    }
    return s;
}

// A desktop entry's Exec argument: quoted, with its reserved characters escaped.
std::string ExecArgument(const std::string& aText) {
    std::string s = "\"";
    for (char ch : aText) {
        if (ch == '"' || ch == '`' || ch == '$' || ch == '\\') s += '\\';
        s += ch;
    }
    return s + "\"";
}

void RunIfPresent(const std::string& aProgram, std::vector<std::string> aArguments) {
    const std::string program = FindExecutable(aProgram);
    if (program.empty()) return;
    aArguments.insert(aArguments.begin(), program);
    RunProgram(aArguments, nullptr);
}

}  // namespace

std::vector<std::string> GetAvailableLptPorts() {
    return {"$278", "$378"};
}

std::vector<std::string> GetAvailableComPorts(const std::string& aDeviceFolder) {
    std::vector<std::string> ports;
    for (int n = 1; n <= 32; ++n) {
        const std::string device = aDeviceFolder + "ttyS" + std::to_string(n - 1);
        const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        close(fd);
        ports.push_back("COM" + std::to_string(n));
    }
    return ports;
}

std::string FindExecutable(const std::string& aName) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    for (size_t start = 0; start <= folders.size();) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        const std::string folder = folders.substr(start, end - start);
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + aName;
        if (access(candidate.c_str(), X_OK) == 0 && !fs::is_directory(candidate)) return candidate;
        start = end + 1;
    }
    return {};
}

bool CanShellOpen(const std::string& aMimeType) {
    if (FindExecutable("xdg-open").empty()) return false;
    const std::string query = FindExecutable("xdg-mime");
    if (query.empty()) return true;  // the opener decides itself
    std::string answer;
    return RunProgram({query, "query", "default", aMimeType}, &answer) == 0 && !TrimText(answer).empty();
}

bool ShellOpen(const std::string& aPath) {
    const std::string opener = FindExecutable("xdg-open");
    if (opener.empty()) return false;
    // The shell puts the opener in the background and ends at once: the application it starts
    // lives on its own, and nothing is left to wait for.
    return RunProgram({"/bin/sh", "-c", "\"$0\" \"$1\" >/dev/null 2>&1 &", opener, aPath}, nullptr) == 0;
}

std::string ExperimentMimeType(const std::string& aExtension) {
    return "application/x-kalvero-" + aExtension;
}

void RegisterExt(const std::string& aExtension, const std::string& aLabel, const std::string& aProgramFile) {
    const std::string classes = "Software\\Classes\\";
    const std::string programFolder =
        IncludeTrailingPathDelimiter(fs::path(aProgramFile).parent_path().string());
    RegistryUtil::SetStringParam("@", classes + "." + aExtension, "DscDataFile");
    RegistryUtil::SetStringParam("@", classes + "DscDataFile", aLabel);
    RegistryUtil::SetStringParam("@", classes + "DscDataFile\\Shell\\Open\\Command",
                                 aProgramFile + " \"%1\"");
    RegistryUtil::SetStringParam("@", classes + "DscDataFile\\DefaultIcon", programFolder + "dsc_file.ico");

    const std::string mime = ExperimentMimeType(aExtension);
    const fs::path mimeFolder = fs::path(DataHome()) / "mime";
    const fs::path applications = fs::path(DataHome()) / "applications";
    std::error_code ec;
    fs::create_directories(mimeFolder / "packages", ec);
    fs::create_directories(applications, ec);
    WriteFileAtomic(mimeFolder / "packages" / ("kalvero-" + aExtension + ".xml"),
                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                    "  <mime-type type=\"" +
                        XmlText(mime) +
                        "\">\n"
                        "    <comment>" +
                        XmlText(aLabel) +
                        "</comment>\n"
                        "    <glob pattern=\"*." +
                        XmlText(aExtension) +
                        "\"/>\n"
                        "  </mime-type>\n"
                        "</mime-info>\n");
    const std::string entry = "kalvero-" + aExtension + ".desktop";
    WriteFileAtomic(applications / entry, "[Desktop Entry]\nType=Application\nName=" + aLabel +
                                              "\nExec=" + ExecArgument(aProgramFile) +
                                              " %f\nIcon=kalvero\nMimeType=" + mime +
                                              ";\nTerminal=false\nNoDisplay=true\n");
    // The program's icon, shipped beside it, for the program and for its files.
    const fs::path icon = fs::path(programFolder) / "kalvero.svg";
    if (fs::exists(icon, ec)) {
        const fs::path theme = fs::path(DataHome()) / "icons" / "hicolor" / "scalable";
        std::string mimeIcon = mime;
        std::replace(mimeIcon.begin(), mimeIcon.end(), '/', '-');
        const std::string picture = ReadWholeFile(icon);
        for (const auto& [folder, name] : {std::pair<std::string, std::string>{"apps", "kalvero"},
                                           std::pair<std::string, std::string>{"mimetypes", mimeIcon}}) {
            fs::create_directories(theme / folder, ec);
            WriteFileAtomic(theme / folder / (name + ".svg"), picture);
        }
    }
    // The desktop's caches learn of the new type and its program; without the tools the desktop
    // finds them at its next scan.
    RunIfPresent("update-mime-database", {mimeFolder.string()});
    RunIfPresent("update-desktop-database", {applications.string()});
    RunIfPresent("xdg-mime", {"default", entry, mime});
}

}  // namespace kalvero::SystemUtils
