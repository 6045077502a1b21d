#pragma once

#include <QObject>
#include <QSocketNotifier>

namespace zerlith::app {

/// Turns SIGINT, SIGTERM and SIGHUP (the session ending) into an orderly quit of the Qt event
/// loop: the handler only writes to a pipe, and the loop reads it. One per process; main thread.
class QuitSignals final : public QObject {
    Q_OBJECT
public:
    QuitSignals();
    ~QuitSignals() override;

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace zerlith::app
