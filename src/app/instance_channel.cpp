#include "app/instance_channel.hpp"

#include <QLocalSocket>
#include <QTimer>

#include "base/socket_peer.hpp"
#include "system/instance_requests.hpp"

namespace zerlith::app {
namespace {

constexpr qint64 kLongestRequest = 64;
/// Connections served at once; more are closed as they come.
constexpr int kMostConnections = 32;
/// How long a connection may hold its place without a whole request line.
constexpr int kIdleTimeoutMs = 2000;

}  // namespace

bool InstanceChannel::listen(const std::string& path) {
    listener_ = browser::listenAt(path);
    if (!listener_) return false;
    spare_ = browser::spareDescriptor();
    acceptable_ = std::make_unique<QSocketNotifier>(listener_.fd(), QSocketNotifier::Read);
    connect(acceptable_.get(), &QSocketNotifier::activated, this, &InstanceChannel::acceptWaiting);
    return true;
}

void InstanceChannel::acceptWaiting() {
    auto connection = browser::acceptNext(listener_.fd(), spare_);
    // A crowd beyond the limit, and a peer of another user, are closed at once.
    if (connection && open_ < kMostConnections && peerIsThisUser(connection.fd()))
        serve(std::move(connection));
}

void InstanceChannel::serve(browser::Socket connection) {
    auto* socket = new QLocalSocket(this);
    if (!socket->setSocketDescriptor(connection.release(), QLocalSocket::ConnectedState)) {
        delete socket;
        return;
    }
    ++open_;
    connect(socket, &QObject::destroyed, this, [this] { --open_; });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // A connection that sends nothing holds a descriptor and a place: it gets a moment, no more.
    QTimer::singleShot(kIdleTimeoutMs, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        if (!socket->canReadLine()) {
            if (socket->bytesAvailable() > kLongestRequest) socket->abort();
            return;
        }
        const auto request = socket->readLine(kLongestRequest).trimmed();
        socket->write(std::string(instance_request::accepted).append("\n").c_str());
        socket->disconnectFromServer();
        emit requestReceived(request);
    });
}

}  // namespace zerlith::app
