#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>

#include "platform/x11/desktop_cache.hpp"
#include "platform/x11/xcb_connection.hpp"

namespace zerlith::x11 {

/// Activation of windows and of applications. An application is activated through its frontmost
/// window, except right after one of its windows was asked to come forward: until the window
/// manager has done so, that window stands for the application (so raising a window and then
/// activating its application, as the core does, never brings a sibling forward). Any thread.
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
    struct Request {
        xcb_window_t window;
        Pid pid;
        std::chrono::steady_clock::time_point sentAt;
    };

    XcbConnection& connection_;
    DesktopCache& cache_;
    std::mutex mutex_;
    std::optional<Request> lastRequest_;
    std::function<void(xcb_window_t)> requestListener_;
};

}  // namespace zerlith::x11
