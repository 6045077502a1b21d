#pragma once

#include <cstdint>
#include <vector>

namespace zerlith::platform {

/// One change a backend learned from its event stream.
struct DesktopChange {
    enum class Kind {
        windowList,      ///< windows appeared or went: applications launched or quit
        windowGone,      ///< `window` was destroyed: it can no longer be switched to
        currentDesktop,  ///< the user moved to another desktop (Space)
        activeWindow,    ///< another window became the active one
        windowTitle,     ///< `window`'s title changed
        windowState,     ///< `window` moved, resized, changed desktop or state
        screens,         ///< monitors were added, removed or rearranged
    };
    Kind kind;
    std::uint32_t window = 0;  ///< the window concerned; 0 for changes of the whole desktop
    bool operator==(const DesktopChange&) const = default;
};

/// A backend whose changes arrive as events on a file descriptor (an X11 connection). The
/// application's event loop watches the descriptor and, when it becomes readable, takes the
/// changes: no polling. Main thread.
class DesktopEvents {
public:
    virtual ~DesktopEvents() = default;

    /// Readable while events wait to be taken.
    virtual int fileDescriptor() = 0;
    /// The changes that arrived since the last call (also those an enumeration read meanwhile),
    /// oldest first. Returns at once.
    virtual std::vector<DesktopChange> takeChanges() = 0;
};

}  // namespace zerlith::platform
