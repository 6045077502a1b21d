#pragma once

#include <memory>
#include <string>

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>

#include "browser/local_socket.hpp"

namespace zerlith::app {

/// One running application per user: the instance that holds the lock in the owner-only runtime
/// folder listens on a Unix socket there, and later invocations hand it their request
/// (instance_client.hpp) instead of starting again. Main thread.
class InstanceChannel final : public QObject {
    Q_OBJECT
public:
    /// Starts listening at `path`, replacing any socket there: only the holder of the instance
    /// lock listens, so one there was left by an instance that crashed. False when the socket
    /// cannot be made. At most a few dozen connections are served at once, each for a moment
    /// until its request line is in; more are closed as they come, and a process out of
    /// descriptors sheds callers rather than give up its socket.
    bool listen(const std::string& path);

signals:
    void requestReceived(const QByteArray& request);

private:
    void acceptWaiting();
    void serve(browser::Socket connection);

    browser::Socket listener_;
    browser::Socket spare_;
    std::unique_ptr<QSocketNotifier> acceptable_;
    int open_ = 0;
};

}  // namespace zerlith::app
