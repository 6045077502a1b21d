#include "app/instance_channel.hpp"

#include <QLocalSocket>

#include "browser/local_socket.hpp"
#include "system/runtime_folder.hpp"

namespace zerlith::app {
namespace {

constexpr int kAnswerTimeoutMs = 2000;
constexpr qint64 kLongestRequest = 64;
constexpr char kAccepted[] = "ok\n";

}  // namespace

std::optional<QString> InstanceChannel::socketPath(std::string* error) {
    const auto folder = runtimeFolder(error);
    if (!folder) return std::nullopt;
    return QString::fromStdString(*folder) + "/instance";
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
            // The folder is private already; a peer of another user is refused all the same.
            if (!browser::peerIsThisUser(static_cast<int>(socket->socketDescriptor()))) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
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
