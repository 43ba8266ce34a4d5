#pragma once
// One program per user and program-data folder. The first `kalvero` listens on a local socket;
// a second start hands its file name to it and ends, and the first restores and raises its main
// window and opens the file there. Two program-data folders are two independent programs, so each
// folder has a socket of its own.
//
// The socket's protocol is one line: the file's absolute name in UTF-8 (empty: only restore and
// raise), answered "OK" once the running program has taken it.

#include <QLocalServer>

#include <functional>
#include <string>

namespace kalvero::app {

// "kalvero-" + the user's id + "-" + a digest of the program-data folder: a name of the per-user
// socket that one folder's program listens on.
std::string InstanceServerName(const std::string& aProgramDataPath);

// Hands aFileName to the program listening on aServerName; true when it answered that it took
// it. False at once when nobody listens (or only a stale socket of a crashed program is left).
bool HandOverToRunningInstance(const std::string& aServerName, const std::string& aFileName,
                               int aTimeoutMs = 5000);

class TInstanceServer : public QObject {
public:
    using THandler = std::function<void(const std::string& aFileName)>;
    explicit TInstanceServer(QObject* aParent = nullptr);

    // Listens on aServerName; a socket file left by a crashed program (nobody answers on it) is
    // removed first. aHandler runs on this thread for every hand-over, after its answer was sent.
    // False when another running program holds the name.
    bool Listen(const std::string& aServerName, THandler aHandler);

private:
    void Accept();

    QLocalServer fServer;
    THandler fHandler;
};

}  // namespace kalvero::app
