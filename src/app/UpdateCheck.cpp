#include "app/UpdateCheck.h"

#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <utility>

#include "common/Config.h"
#include "common/MsgBoxes.h"
#include "system/SystemUtils.h"
#include "system/VersionInfo.h"

namespace kalvero::app {
namespace {

// A page of the program's web site.
std::string SitePage(const TAppConfig& aConfig, const std::string& aPage) {
    std::string site = aConfig.appUpdateSite;
    if (!site.empty() && site.back() != '/') site += '/';
    return site + aPage;
}

}  // namespace

bool UpdateCheckDue(const TAppConfig& aConfig, TDateTime aNow) {
    return aConfig.appCheckUpdate && aNow > aConfig.appCheckUpdateDate + 7;
}

std::string NewVersionQuestion(const std::string& aRemote, const std::string& aInstalled) {
    return "На сайте программы найдена новая версия программы: " + aRemote +
           ". Версия установленной на компьютере программы: " + aInstalled +
           " Открыть страницу с новой версией программы?";
}

TUpdateCheck::TUpdateCheck(TAppConfig& aConfig, std::string aInstalledVersion, QObject* aParent)
    : QObject(aParent), fConfig(aConfig), fInstalledVersion(std::move(aInstalledVersion)) {
    openPage = [](const std::string& aUrl) { SystemUtils::ShellOpen(aUrl); };
    QNetworkProxyFactory::setUseSystemConfiguration(true);
}

void TUpdateCheck::Start(int aDelayMs, int aTimeoutMs) {
    QTimer::singleShot(aDelayMs, this, [this, aTimeoutMs] { Fetch(aTimeoutMs); });
}

void TUpdateCheck::Fetch(int aTimeoutMs) {
    const QUrl url(QString::fromStdString(SitePage(fConfig, "kalvero_version.txt")));
    if (!url.isValid() || url.scheme().isEmpty()) return Finish();
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setRawHeader("Connection", "close");
    request.setTransferTimeout(aTimeoutMs);
    QNetworkReply* reply = fNetwork.get(request);
    connect(reply, &QNetworkReply::finished, this, [this, reply] { Answered(reply); });
}

void TUpdateCheck::Answered(QNetworkReply* aReply) {
    aReply->deleteLater();
    const int status = aReply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (aReply->error() != QNetworkReply::NoError || status != 200) return Finish();
    // A version text is a line; a server that sends more is not the one we asked.
    const std::string remote = aReply->read(256).trimmed().toStdString();
    if (IsNewerVersion(remote, fInstalledVersion)) AskAboutNewVersion(remote);
    Finish();
}

void TUpdateCheck::AskAboutNewVersion(const std::string& aRemote) {
    if (MsgBoxYN(NewVersionQuestion(aRemote, fInstalledVersion))) {
        if (openPage) openPage(SitePage(fConfig, "soft.php"));
    } else if (!MsgBoxYN(
                   "Хотите в дальнейшем автоматически проверять наличие новых версий программы на сайте?")) {
        fConfig.appCheckUpdate = false;
    }
    fConfig.appCheckUpdateDate = Now();
    try {
        fConfig.SaveAppSettings();
    } catch (const std::exception& e) {
        ErrBox(e.what());
    }
}

void TUpdateCheck::Finish() {
    if (std::exchange(fFinished, true)) return;
    if (onFinished) onFinished();
}

}  // namespace kalvero::app
