#pragma once

#include <memory>
#include <optional>
#include <string>

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>

#include "browser/local_socket.hpp"

namespace zerlith::app {

/// One running application per user: the first instance listens on a Unix socket in an owner-only
/// folder, and later invocations hand it their request ("reopen", "palette") instead of starting
/// again. Main thread.
class InstanceChannel final : public QObject {
    Q_OBJECT
public:
    /// `<runtime folder>/instance`. None, with the reason in `error`, when the runtime folder is
    /// not private (see runtimeFolder()).
    static std::optional<std::string> socketPath(std::string* error);

    /// Hands `request` to the instance listening at `path`; true when it took it.
    static bool send(const std::string& path, const QByteArray& request);

    /// Starts listening at `path`, taking over a socket that no instance answers on (left behind
    /// by one that crashed). False when the socket cannot be made. At most a few dozen connections are served at once, each for a moment
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
