#pragma once

#include <functional>

#include "providers/x11/desktop_cache.hpp"
#include "providers/x11/xcb_connection.hpp"

namespace zerlith::x11 {

/// Activation of windows and of applications; an application is activated through its frontmost
/// window. Any thread.
class WindowActivation {
public:
    WindowActivation(XcbConnection& connection, DesktopCache& cache) : connection_(connection), cache_(cache) {}

    /// Asks for a window to come forward; false when the desktop no longer has it.
    bool activateWindow(xcb_window_t window, double timeoutSeconds);
    /// Asks for an application's window to come forward; false when it has none.
    bool activateApplication(Pid pid, double timeoutSeconds);
    /// Told of every window asked to come forward, after the request is sent. Set it first.
    void setRequestListener(std::function<void(xcb_window_t)> listener) { requestListener_ = std::move(listener); }

private:
    XcbConnection& connection_;
    DesktopCache& cache_;
    std::function<void(xcb_window_t)> requestListener_;
};

}  // namespace zerlith::x11
