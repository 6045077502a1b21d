#include "qt/desktop_events_watch.hpp"

namespace zerlith::qt {

DesktopEventsWatch::DesktopEventsWatch(platform::DesktopEvents& events, Handler onChanges)
    : events_(events), onChanges_(std::move(onChanges)), notifier_(events.fileDescriptor(), QSocketNotifier::Read) {
    QObject::connect(&notifier_, &QSocketNotifier::activated, &notifier_, [this] {
        const auto changes = events_.takeChanges();
        if (!changes.empty()) onChanges_(changes);
    });
}

}  // namespace zerlith::qt
