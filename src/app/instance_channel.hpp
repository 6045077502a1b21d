#pragma once

#include <memory>
#include <optional>
#include <string>

#include <QByteArray>
#include <QLocalServer>
#include <QObject>

namespace zerlith::app {

/// One running application per user: the first instance listens on a Unix socket in an owner-only
/// folder, and later invocations hand it their request ("reopen", "palette") instead of starting
/// again. Main thread.
class InstanceChannel final : public QObject {
    Q_OBJECT
public:
    /// `$XDG_RUNTIME_DIR/zerlith/instance`, the folder made owner-only; without that variable a
    /// folder of this user's in the temporary directory. None, with the reason in `error`, when the
    /// folder exists but belongs to someone else or cannot be made private.
    static std::optional<QString> socketPath(std::string* error);

    /// Hands `request` to the instance listening at `path`; true when it took it.
    static bool send(const QString& path, const QByteArray& request);

    /// Starts listening at `path`, taking over a socket that no instance answers on (left behind
    /// by one that crashed). False when the socket cannot be made.
    bool listen(const QString& path);

signals:
    void requestReceived(const QByteArray& request);

private:
    QLocalServer server_;
};

}  // namespace zerlith::app
