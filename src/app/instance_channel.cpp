#include "app/instance_channel.hpp"

#include <sys/socket.h>

#include <cerrno>

#include <QTimer>

#include "base/socket_peer.hpp"
#include "system/instance_requests.hpp"

namespace zerlith::app {
namespace {

constexpr std::size_t kLongestRequest = 64;
/// Connections served at once; more are closed as they come.
constexpr int kMostConnections = 32;
/// How long a connection may hold its place without a whole request line.
constexpr int kIdleTimeoutMs = 2000;

/// One caller, until its request line is in, it hangs up or its moment is over.
class Caller final : public QObject {
public:
    Caller(browser::Socket socket, QObject* parent)
        : QObject(parent), socket_(std::move(socket)), readable_(socket_.fd(), QSocketNotifier::Read) {}

    /// Reads what has come; the request line once it is whole, else none.
    std::optional<QByteArray> readRequest() {
        char buffer[kLongestRequest + 1];
        const auto got = ::recv(socket_.fd(), buffer, sizeof buffer, MSG_DONTWAIT);
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) return std::nullopt;
        if (got <= 0) return finish();
        received_.append(buffer, got);
        const auto end = received_.indexOf('\n');
        const auto longest = qsizetype(kLongestRequest);
        if (end > longest || (end < 0 && received_.size() > longest)) return finish();
        if (end < 0) return std::nullopt;
        const auto reply = std::string(instance_request::accepted).append("\n");
        ::send(socket_.fd(), reply.data(), reply.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        finish();
        return received_.left(end).trimmed();
    }

    QSocketNotifier& readable() { return readable_; }

private:
    std::nullopt_t finish() {
        readable_.setEnabled(false);
        deleteLater();
        return std::nullopt;
    }

    browser::Socket socket_;
    QSocketNotifier readable_;  // after the socket: it goes before the descriptor closes
    QByteArray received_;
};

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
    auto* caller = new Caller(std::move(connection), this);
    ++open_;
    connect(caller, &QObject::destroyed, this, [this] { --open_; });
    // A connection that sends nothing holds a descriptor and a place: it gets a moment, no more.
    QTimer::singleShot(kIdleTimeoutMs, caller, &QObject::deleteLater);
    connect(&caller->readable(), &QSocketNotifier::activated, caller, [this, caller] {
        if (auto request = caller->readRequest()) emit requestReceived(*request);
    });
}

}  // namespace zerlith::app
