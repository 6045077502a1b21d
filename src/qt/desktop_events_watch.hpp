#pragma once

#include <functional>
#include <vector>

#include <QSocketNotifier>

#include "platform/desktop_events.hpp"

namespace zerlith::qt {

/// Hands a backend's desktop changes to `onChanges` as they arrive: the Qt event loop watches
/// the backend's descriptor, so nothing polls. Main thread.
class DesktopEventsWatch {
public:
    using Handler = std::function<void(const std::vector<platform::DesktopChange>&)>;

    DesktopEventsWatch(platform::DesktopEvents& events, Handler onChanges);

private:
    platform::DesktopEvents& events_;
    Handler onChanges_;
    QSocketNotifier notifier_;
};

}  // namespace zerlith::qt
