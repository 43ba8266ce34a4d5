// The shell as the dialogs use it: port lists, opening with the desktop's default application
// (a recording stand-in for the opener on PATH) and the registration of the experiment type.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include <unistd.h>

#include <algorithm>

#include "support/TempDir.h"
#include "system/RegistryUtil.h"
#include "system/SystemUtils.h"

using namespace kalvero;
using kalvero::test::ReadFileBytes;
using kalvero::test::TTempDir;
using kalvero::test::WriteFileBytes;
namespace su = kalvero::SystemUtils;

namespace {

class TEnvScope {
public:
    TEnvScope(const char* aName, const std::string& aValue) : fName(aName) {
        if (const char* old = std::getenv(aName)) fOld = old, fHad = true;
        setenv(aName, aValue.c_str(), 1);
    }
    ~TEnvScope() { fHad ? setenv(fName, fOld.c_str(), 1) : unsetenv(fName); }
    TEnvScope(const TEnvScope&) = delete;
    TEnvScope& operator=(const TEnvScope&) = delete;

private:
    const char* fName;
    std::string fOld;
    bool fHad = false;
};

class SystemUtilsTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(dir.Path() / "bin"); }
    void Script(const std::string& aName, const std::string& aBody) {
        const auto file = dir.Path() / "bin" / aName;
        WriteFileBytes(file, "#!/bin/sh\n" + aBody + "\n");
        std::filesystem::permissions(file, std::filesystem::perms::owner_all);
    }
    // The opener's log, once its background run has written aLines lines.
    std::string WaitForLog(size_t aLines) {
        for (int k = 0; k < 200; ++k) {
            std::error_code ec;
            if (std::filesystem::exists(dir.Path() / "opened.log", ec)) {
                const std::string log = ReadFileBytes(dir.Path() / "opened.log");
                if (static_cast<size_t>(std::count(log.begin(), log.end(), '\n')) >= aLines) return log;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return {};
    }
    TTempDir dir;
};

}  // namespace

TEST_F(SystemUtilsTest, PortsAreListedWhenTheyOpen) {
    EXPECT_EQ(su::GetAvailableLptPorts(), (std::vector<std::string>{"$278", "$378"}));
    WriteFileBytes(dir.Path() / "ttyS0", "");
    WriteFileBytes(dir.Path() / "ttyS4", "");
    WriteFileBytes(dir.Path() / "ttyS31", "");
    WriteFileBytes(dir.Path() / "ttyS32", "");  // COM33 is beyond the list
    WriteFileBytes(dir.Path() / "ttyS7", "");
    std::filesystem::permissions(dir.Path() / "ttyS7", std::filesystem::perms::none);
    std::vector<std::string> expected = {"COM1", "COM5", "COM32"};
    if (geteuid() == 0) expected.insert(expected.begin() + 2, "COM8");  // root opens anything
    EXPECT_EQ(su::GetAvailableComPorts(dir.Str()), expected);
}

TEST_F(SystemUtilsTest, OpeningGoesThroughTheDesktopOpener) {
    const std::string log = (dir.Path() / "opened.log").string();
    {
        TEnvScope path("PATH", (dir.Path() / "bin").string());
        EXPECT_FALSE(su::CanShellOpen("application/x-test"));  // no opener at all
        EXPECT_FALSE(su::ShellOpen("/tmp/a file.xlsx"));
    }
    TEnvScope path("PATH", (dir.Path() / "bin").string() + ":/bin:/usr/bin");
    Script("xdg-open", "echo \"$1\" >> '" + log + "'");
    EXPECT_TRUE(su::FindExecutable("xdg-open").ends_with("/bin/xdg-open"));
    EXPECT_TRUE(su::ShellOpen("/tmp/a file.xlsx"));
    EXPECT_EQ(WaitForLog(1), "/tmp/a file.xlsx\n");
    // With the type database at hand, a type without a default application cannot be opened.
    Script("xdg-mime", "[ \"$3\" = application/known ] && echo viewer.desktop; exit 0");
    EXPECT_TRUE(su::CanShellOpen("application/known"));
    EXPECT_FALSE(su::CanShellOpen("application/unknown"));
}

TEST_F(SystemUtilsTest, RegistrationWritesTheClassesRootAndTheDesktopType) {
    RegistryUtil::SetMachineStoreFile(dir.Str() + "registry.ini");
    TEnvScope data("XDG_DATA_HOME", dir.Str() + "share");
    TEnvScope path("PATH", (dir.Path() / "bin").string() + ":/bin");
    // The desktop's tools, as far as the registration asks them.
    const std::string log = (dir.Path() / "tools.log").string();
    for (const char* tool : {"update-mime-database", "update-desktop-database", "xdg-mime"})
        Script(tool, std::string("echo ") + tool + " \"$@\" >> '" + log + "'");
    const std::string program = (dir.Path() / "opt/kalvero/kalvero").string();
    std::filesystem::create_directories(dir.Path() / "opt/kalvero");
    WriteFileBytes(dir.Path() / "opt/kalvero/kalvero.svg", "<svg/>");
    su::RegisterExt("dsc", "Файл системы ДСК", program);
    EXPECT_EQ(RegistryUtil::GetStringParam("@", "Software\\Classes\\.dsc"), "DscDataFile");
    EXPECT_EQ(RegistryUtil::GetStringParam("@", "Software\\Classes\\DscDataFile"), "Файл системы ДСК");
    EXPECT_EQ(RegistryUtil::GetStringParam("@", "Software\\Classes\\DscDataFile\\Shell\\Open\\Command"),
              program + " \"%1\"");
    EXPECT_EQ(RegistryUtil::GetStringParam("@", "Software\\Classes\\DscDataFile\\DefaultIcon"),
              dir.Str() + "opt/kalvero/dsc_file.ico");
    const std::string mime = ReadFileBytes(dir.Path() / "share/mime/packages/kalvero-dsc.xml");
    EXPECT_NE(mime.find("<mime-type type=\"application/x-kalvero-dsc\">"), std::string::npos);
    EXPECT_NE(mime.find("<glob pattern=\"*.dsc\"/>"), std::string::npos);
    EXPECT_NE(mime.find("<comment>Файл системы ДСК</comment>"), std::string::npos);
    const std::string entry = ReadFileBytes(dir.Path() / "share/applications/kalvero-dsc.desktop");
    EXPECT_NE(entry.find("Exec=\"" + program + "\" %f\n"), std::string::npos);
    EXPECT_NE(entry.find("MimeType=application/x-kalvero-dsc;\n"), std::string::npos);
    EXPECT_NE(entry.find("Icon=kalvero\n"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(dir.Path() / "share/icons/hicolor/scalable/apps/kalvero.svg"), "<svg/>");
    EXPECT_EQ(
        ReadFileBytes(dir.Path() / "share/icons/hicolor/scalable/mimetypes/application-x-kalvero-dsc.svg"),
        "<svg/>");
    // The caches are brought up to date and the program becomes the type's default.
    EXPECT_EQ(ReadFileBytes(log), "update-mime-database " + dir.Str() + "share/mime\n" +
                                      "update-desktop-database " + dir.Str() + "share/applications\n" +
                                      "xdg-mime default kalvero-dsc.desktop application/x-kalvero-dsc\n");
    RegistryUtil::SetMachineStoreFile("");
}
