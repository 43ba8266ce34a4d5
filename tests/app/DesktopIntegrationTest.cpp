// The program on the desktop: a second start hands its file to the running program (two real
// processes), a socket left by a crashed program does not block the next start, and the update
// check against a web server of our own on 127.0.0.1.

#include <sys/socket.h>
#include <sys/un.h>

#include <QDir>
#include <QMdiSubWindow>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>

#include "app/AppTestSupport.h"
#include "app/SingleInstance.h"
#include "app/UpdateCheck.h"
#include "common/DateTime.h"

using namespace kalvero;
using namespace kalvero::test;
using app::TPrompt;

namespace {

using SingleInstanceTest = TAppTest;

// `kalvero ARGS` on the same program-data folder; its exit code, or -1 when it did not end (it
// then runs as a program of its own: the hand-over failed).
int RunSecondInstance(const std::string& aDataDir, const QStringList& aArguments) {
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KALVERO_DATA_DIR", QString::fromStdString(aDataDir));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    second.setProcessEnvironment(env);
    second.start(KALVERO_APP, aArguments);
    if (!second.waitForStarted(10000)) return -1;
    // The running program answers from this thread's event loop.
    const bool ended = QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 20000);
    if (!ended) {
        second.kill();
        second.waitForFinished();
        return -1;
    }
    return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
}

TEST_F(SingleInstanceTest, ASecondStartHandsItsFileToTheRunningProgramAndEnds) {
    app::TKalveroForm& f = Start();
    app::TInstanceServer server;
    ASSERT_TRUE(server.Listen(app::InstanceServerName(dataDir),
                              [&f](const std::string& aFileName) { f.TakeHandOver(aFileName); }));
    const std::string run = RecordedRun();
    // Named relative to the second program's folder: the running one gets the full name.
    const QString relative = QDir(QDir::currentPath()).relativeFilePath(QString::fromStdString(run));
    f.showMinimized();
    QCoreApplication::processEvents();

    EXPECT_EQ(RunSecondInstance(dataDir, {relative}), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.DataWindows().empty(); }, 5000));
    ASSERT_EQ(f.DataWindows().size(), 1u);
    EXPECT_EQ(f.DataWindows()[0]->windowTitle().toStdString(), std::filesystem::absolute(run).string());
    EXPECT_GT(f.DataWindows()[0]->DataClass().GetItemCount(), 0);
    EXPECT_FALSE(f.isMinimized());

    // Without a name the program is only restored and raised; a name of no file opens nothing.
    f.showMinimized();
    QCoreApplication::processEvents();
    EXPECT_EQ(RunSecondInstance(dataDir, {}), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !f.isMinimized(); }, 5000));
    EXPECT_EQ(RunSecondInstance(dataDir, {QString::fromStdString(dir.Str() + "absent.dsc")}), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(f.DataWindows().size(), 1u);
    EXPECT_TRUE(Asked(TPrompt::pkError).empty());
}

// A socket file as a killed program leaves it: bound, never listened on again.
void LeaveStaleSocket(const std::string& aServerName) {
    const std::string path = (QDir::tempPath() + "/").toStdString() + aServerName;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof(address.sun_path));
    std::copy(path.begin(), path.end(), address.sun_path);
    std::filesystem::remove(path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
    ASSERT_TRUE(std::filesystem::exists(path));
}

TEST(InstanceServerTest, AStaleSocketNeitherTakesAHandOverNorBlocksTheNextStart) {
    TTempDir dir;
    const std::string name = app::InstanceServerName(dir.Str());
    LeaveStaleSocket(name);
    EXPECT_FALSE(app::HandOverToRunningInstance(name, "/tmp/run.dsc", 2000));

    app::TInstanceServer first;
    std::vector<std::string> handed;
    ASSERT_TRUE(first.Listen(name, [&](const std::string& aFileName) { handed.push_back(aFileName); }));
    // The name is now held by a running program: a second server does not steal it.
    app::TInstanceServer second;
    EXPECT_FALSE(second.Listen(name, {}));
}

TEST(InstanceServerTest, EachProgramDataFolderHasASocketOfItsOwn) {
    TTempDir a, b;
    EXPECT_EQ(app::InstanceServerName(a.Str()), app::InstanceServerName(a.Path().string()));
    EXPECT_NE(app::InstanceServerName(a.Str()), app::InstanceServerName(b.Str()));
    EXPECT_EQ(app::InstanceServerName(a.Str()).rfind("kalvero-" + std::to_string(::getuid()) + "-", 0), 0u);
}

// A web server on 127.0.0.1 that answers every request with aResponse (none: it never answers)
// and keeps the requests it got.
class TLocalWebServer {
public:
    explicit TLocalWebServer(std::string aResponse) : fResponse(std::move(aResponse)) {
        fServer.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&fServer, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = fServer.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    fRequests.push_back(socket->readAll().toStdString());
                    if (fResponse.empty()) return;
                    socket->write(QByteArray::fromStdString(fResponse));
                    socket->disconnectFromHost();
                });
            }
        });
    }
    std::string Site() const { return "http://127.0.0.1:" + std::to_string(fServer.serverPort()) + "/"; }
    const std::vector<std::string>& Requests() const { return fRequests; }

private:
    std::string fResponse;
    QTcpServer fServer;
    std::vector<std::string> fRequests;
};

std::string Ok(const std::string& aBody) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nSet-Cookie: visit=1\r\nContent-Length: " +
           std::to_string(aBody.size()) + "\r\nConnection: close\r\n\r\n" + aBody;
}

class UpdateCheckTest : public TAppTest {
protected:
    // One check of aSite against the installed aInstalled, waited for to its end.
    void Check(const std::string& aSite, const std::string& aInstalled, int aTimeoutMs = 10000) {
        if (!form) Start();
        gConfig->appUpdateSite = aSite;
        app::TUpdateCheck check(*gConfig, aInstalled);
        check.openPage = [this](const std::string& aUrl) { opened.push_back(aUrl); };
        check.Start(0, aTimeoutMs);
        ASSERT_TRUE(QTest::qWaitFor([&] { return check.Finished(); }, aTimeoutMs + 10000));
    }
    std::vector<std::string> opened;
};

TEST_F(UpdateCheckTest, OnlyALaterRemoteVersionIsOffered) {
    const struct {
        const char *remote, *installed;
        bool offered;
    } cases[] = {
        {"4.0.0.1977", "4.0.0.1976", true},   // a newer build
        {"3.9.9.9999", "4.0.0.1976", false},  // older
        {"4.0.0.1976", "4.0.0.1976", false},  // equal
        {"5.0.0.0", "4.0.0.9999", true},      // a newer major, whatever the build
        {"4.1", "4.0.0.1976", true},          // fewer numbers count as zeros
        {"<html>moved</html>", "4.0.0.1976", false},
    };
    for (const auto& c : cases) {
        prompts.clear();
        TLocalWebServer server(Ok(std::string(c.remote) + "\r\n"));
        answers.push_back(app::TPromptAnswer{});  // No: do not open the page
        Check(server.Site(), c.installed);
        const auto asked = Asked(TPrompt::pkYesNo);
        ASSERT_EQ(!asked.empty(), c.offered) << c.remote << " against " << c.installed;
        if (c.offered) {
            EXPECT_EQ(asked[0].text, app::NewVersionQuestion(c.remote, c.installed));
        }
        answers.clear();
    }
    EXPECT_EQ(app::NewVersionQuestion("4.0.0.1977", "4.0.0.1976"),
              "На сайте программы найдена новая версия программы: 4.0.0.1977. Версия установленной на "
              "компьютере программы: 4.0.0.1976 Открыть страницу с новой версией программы?");
}

TEST_F(UpdateCheckTest, TheRequestAsksPlainlyWithoutCookies) {
    TLocalWebServer server(Ok("4.0.0.1976"));
    Check(server.Site(), "4.0.0.1976");
    Check(server.Site(), "4.0.0.1976");  // the second one after a cookie was offered
    ASSERT_EQ(server.Requests().size(), 2u);
    for (const std::string& request : server.Requests()) {
        EXPECT_EQ(request.rfind("GET /kalvero_version.txt HTTP/1.1\r\n", 0), 0u) << request;
        EXPECT_NE(request.find("\r\nConnection: close\r\n"), std::string::npos) << request;
        EXPECT_EQ(request.find("Cookie"), std::string::npos) << request;
    }
}

TEST_F(UpdateCheckTest, YesOpensTheDownloadPageAndTheDateIsSaved) {
    TLocalWebServer server(Ok("9.0"));
    Start();
    gConfig->appCheckUpdate = true;
    const TDateTime before = Now();
    Check(server.Site(), "4.0.0.1976");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], server.Site() + "soft.php");
    EXPECT_EQ(Asked(TPrompt::pkYesNo).size(), 1u);
    TAppConfig saved(appDir, dataDir);
    saved.LoadSettings();
    EXPECT_TRUE(saved.appCheckUpdate);
    EXPECT_EQ(saved.appCheckUpdateDate, std::floor(before));  // the file keeps the day
}

TEST_F(UpdateCheckTest, NoTwiceStopsTheChecks) {
    TLocalWebServer server(Ok("9.0"));
    Start();
    gConfig->appCheckUpdate = true;
    AnswerNo();
    AnswerNo();
    Check(server.Site(), "4.0.0.1976");
    const auto asked = Asked(TPrompt::pkYesNo);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].text,
              "Хотите в дальнейшем автоматически проверять наличие новых версий программы на сайте?");
    EXPECT_TRUE(opened.empty());
    TAppConfig saved(appDir, dataDir);
    saved.LoadSettings();
    EXPECT_FALSE(saved.appCheckUpdate);
}

TEST_F(UpdateCheckTest, ARedirectIsNotFollowedAndASilentServerEndsTheCheckQuietly) {
    TLocalWebServer elsewhere(Ok("9.9.9.9"));
    TLocalWebServer moved("HTTP/1.1 302 Found\r\nLocation: " + elsewhere.Site() +
                          "kalvero_version.txt\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    Check(moved.Site(), "4.0.0.1976");
    EXPECT_EQ(moved.Requests().size(), 1u);
    EXPECT_TRUE(elsewhere.Requests().empty());

    TLocalWebServer silent("");
    Check(silent.Site(), "4.0.0.1976", 500);
    EXPECT_EQ(silent.Requests().size(), 1u);
    // Nobody listening at all ends it the same way.
    Check("http://127.0.0.1:1/", "4.0.0.1976");
    EXPECT_TRUE(prompts.empty());
}

TEST_F(UpdateCheckTest, AWeekPassesBetweenChecks) {
    Start();
    TAppConfig& c = *gConfig;
    c.appCheckUpdateDate = EncodeDateTime(2026, 12, 1);
    c.appCheckUpdate = true;
    EXPECT_FALSE(app::UpdateCheckDue(c, EncodeDateTime(2026, 12, 8)));
    EXPECT_TRUE(app::UpdateCheckDue(c, EncodeDateTime(2026, 12, 8) + 0.01));
    c.appCheckUpdate = false;
    EXPECT_FALSE(app::UpdateCheckDue(c, EncodeDateTime(2027, 1, 1)));
}

}  // namespace
