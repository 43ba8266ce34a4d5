#include "app/SingleInstance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

#include <filesystem>

namespace kalvero::app {
namespace {

constexpr int kMaxLine = 64 * 1024;  // a file name, with room to spare; longer is not ours

}  // namespace

std::string InstanceServerName(const std::string& aProgramDataPath) {
    std::error_code ec;
    std::string folder = std::filesystem::weakly_canonical(aProgramDataPath, ec).string();
    if (ec) folder = aProgramDataPath;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    const QByteArray digest =
        QCryptographicHash::hash(QByteArray::fromStdString(folder), QCryptographicHash::Sha1)
            .toHex()
            .left(12);
    return "kalvero-" + std::to_string(::getuid()) + "-" + digest.toStdString();
}

bool HandOverToRunningInstance(const std::string& aServerName, const std::string& aFileName, int aTimeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(aServerName));
    if (!socket.waitForConnected(aTimeoutMs)) return false;
    socket.write(QByteArray::fromStdString(aFileName) + '\n');
    if (!socket.waitForBytesWritten(aTimeoutMs)) return false;
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(aTimeoutMs)) return false;
    return socket.readLine().trimmed() == "OK";
}

TInstanceServer::TInstanceServer(QObject* aParent) : QObject(aParent) {
    // Only this user may hand files over.
    fServer.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&fServer, &QLocalServer::newConnection, this, [this] { Accept(); });
}

bool TInstanceServer::Listen(const std::string& aServerName, THandler aHandler) {
    fHandler = std::move(aHandler);
    const QString name = QString::fromStdString(aServerName);
    // The name may be held by a running program (it answers; it says nothing to this probe, so
    // it opens nothing) or by the socket file of one that crashed, which goes. The toolkit would
    // replace even a live socket: hence the probe first.
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(1000)) {
        probe.abort();
        return false;
    }
    QLocalServer::removeServer(name);
    return fServer.listen(name);
}

void TInstanceServer::Accept() {
    while (QLocalSocket* socket = fServer.nextPendingConnection()) {
        QPointer<QLocalSocket> guard(socket);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, guard] {
            if (!guard) return;
            if (!guard->canReadLine()) {
                if (guard->bytesAvailable() > kMaxLine) guard->abort();
                return;
            }
            const std::string fileName = guard->readLine().trimmed().toStdString();
            guard->write("OK\n");
            guard->flush();
            guard->disconnectFromServer();
            // The answer goes first: the other program ends while this one opens the file (which
            // may ask or report in a modal box).
            QTimer::singleShot(0, this, [this, fileName] {
                if (fHandler) fHandler(fileName);
            });
        });
        // A peer that connects and says nothing is let go.
        QTimer::singleShot(10000, socket, [guard] {
            if (guard) guard->abort();
        });
    }
}

}  // namespace kalvero::app
