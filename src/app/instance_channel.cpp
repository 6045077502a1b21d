#include "app/instance_channel.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QLocalSocket>

namespace zerlith::app {
namespace {

constexpr int kAnswerTimeoutMs = 2000;
constexpr qint64 kLongestRequest = 64;
constexpr char kAccepted[] = "ok\n";

/// Makes `folder` (and no parent) when missing and checks that only this user can enter it.
bool makePrivateFolder(const QString& folder, std::string* error) {
    const auto path = folder.toStdString();
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        *error = "cannot create " + path;
        return false;
    }
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::getuid()) {
        *error = path + " is not a folder of this user's";
        return false;
    }
    if ((status.st_mode & 077) != 0 && ::chmod(path.c_str(), 0700) != 0) {
        *error = "cannot make " + path + " private";
        return false;
    }
    return true;
}

}  // namespace

std::optional<QString> InstanceChannel::socketPath(std::string* error) {
    const auto runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const bool haveRuntime = !runtime.isEmpty() && QDir::isAbsolutePath(runtime);
    // A session that names a runtime folder it has not made yet: make it as the session would.
    if (haveRuntime) ::mkdir(runtime.toStdString().c_str(), 0700);
    const auto folder = haveRuntime ? runtime + "/zerlith" : QDir::tempPath() + "/zerlith-" + QString::number(::getuid());
    if (!makePrivateFolder(folder, error)) return std::nullopt;
    return folder + "/instance";
}

bool InstanceChannel::send(const QString& path, const QByteArray& request) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(kAnswerTimeoutMs)) return false;
    socket.write(request + "\n");
    if (!socket.waitForBytesWritten(kAnswerTimeoutMs)) return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(kAnswerTimeoutMs)) return false;
    }
    return socket.readLine() == kAccepted;
}

bool InstanceChannel::listen(const QString& path) {
    // Only reached when nothing answered at `path`: whatever socket is there is stale.
    QLocalServer::removeServer(path);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(path)) return false;
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (auto* socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine()) {
                    if (socket->bytesAvailable() > kLongestRequest) socket->abort();
                    return;
                }
                const auto request = socket->readLine(kLongestRequest).trimmed();
                socket->write(kAccepted);
                socket->disconnectFromServer();
                emit requestReceived(request);
            });
        }
    });
    return true;
}

}  // namespace zerlith::app
