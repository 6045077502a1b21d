#pragma once

#include <optional>
#include <vector>

#include "cache/snapshot_store.hpp"
#include "platform/desktop_events.hpp"
#include "platform/geometry.hpp"

namespace zerlith {

/// Decides when a cached source may be stale, from the desktop's change events, and marks it
/// dirty; the next refreshDirty() (each palette opening) enumerates it again. Only leaving a
/// browser refreshes at once, so the palette opened from the next application sees its tabs.
///
///   windows appeared or went (launch, quit)   → windows
///   a window was destroyed                    → windows, and it leaves the cache at once
///   another desktop became current            → windows
///   the user left a browser                   → that browser, refreshed at once
///   a browser window's title changed          → that browser
///   a browser's extension reported its tabs   → that browser
///
/// Main thread. The store outlives the observer.
class ChangeObserver {
public:
    explicit ChangeObserver(SnapshotStore& store) : store_(store) {}

    /// Notes the application in front, the one the user may leave next.
    void start();
    /// Marks what the changes make stale, oldest first.
    void handle(const std::vector<platform::DesktopChange>& changes);
    /// A browser's extension reported a change of its tabs, or went away.
    void tabsChanged(BrowserKind browser);

private:
    void frontChanged();

    SnapshotStore& store_;
    std::optional<Pid> front_;
};

}  // namespace zerlith
