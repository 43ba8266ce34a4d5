#pragma once
// The background check for a newer version of the program, once a week when the settings ask
// for it: the version text file of the program's web site ("kalvero_version.txt" under the
// settings' `appUpdateSite`, so that a lab can point it at its own server) is fetched by an HTTP
// GET through the system's proxy, without cookies, without following redirects and with
// "Connection: close". When it names a later version than the installed one the operator is
// asked whether to open the download page ("soft.php" on the same site), and whether to go on
// checking. Any network failure, a server that does not answer and an answer that is not a
// version end the check silently.
//
// The transfer runs in the toolkit's network thread; the answer and the questions come on the
// thread of the main window.

#include <QNetworkAccessManager>
#include <QObject>

#include <functional>
#include <string>

#include "common/DateTime.h"

class QNetworkReply;

namespace kalvero {
class TAppConfig;
}

namespace kalvero::app {

// Whether a check is due: the settings ask for checks and a week has passed since the last one.
bool UpdateCheckDue(const TAppConfig& aConfig, TDateTime aNow);

// The question for a remote version found later than the installed one.
std::string NewVersionQuestion(const std::string& aRemote, const std::string& aInstalled);

class TUpdateCheck : public QObject {
public:
    // Checks for versions later than aInstalledVersion on aConfig's site; aConfig's check
    // settings are updated and saved after the questions.
    TUpdateCheck(TAppConfig& aConfig, std::string aInstalledVersion, QObject* aParent = nullptr);

    // Fetches after aDelayMs; a server that has not answered after aTimeoutMs is given up.
    void Start(int aDelayMs = 3000, int aTimeoutMs = 30000);
    // Opens the download page (the desktop's browser unless replaced).
    std::function<void(const std::string& aUrl)> openPage;
    // Called once when the check has ended, whatever its outcome.
    std::function<void()> onFinished;
    bool Finished() const { return fFinished; }

private:
    void Fetch(int aTimeoutMs);
    void Answered(QNetworkReply* aReply);
    void AskAboutNewVersion(const std::string& aRemote);
    void Finish();

    TAppConfig& fConfig;
    std::string fInstalledVersion;
    QNetworkAccessManager fNetwork;
    bool fFinished = false;
};

}  // namespace kalvero::app
