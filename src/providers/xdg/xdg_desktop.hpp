#pragma once

#include <memory>

#include "platform/platform.hpp"

namespace zerlith::xdg {

/// What the live desktops of Linux sessions (X11, Wayland) share: the clock and queues they run
/// on, and the browsers' extensions, which are reached outside the display server.
class XdgDesktop : public platform::Platform {
public:
    XdgDesktop(platform::Clock& clock, platform::Dispatch& dispatch) : clock_(clock), dispatch_(dispatch) {}

    platform::Clock& clock() override { return clock_; }
    platform::Dispatch& dispatch() override { return dispatch_; }
    platform::BrowserBridge* browserBridge() override { return browserBridge_.get(); }

    /// Opens the way to the browsers' extensions, through the user's private runtime folder;
    /// without one there is no safe way to them, and no tabs. Before any other thread starts.
    void reachBrowsers();

protected:
    /// Tabs come only through the browsers' extensions; without the bridge there are none.
    bool reachesTabs() const { return browserBridge_ != nullptr; }

private:
    platform::Clock& clock_;
    platform::Dispatch& dispatch_;
    std::unique_ptr<platform::BrowserBridge> browserBridge_;
};

}  // namespace zerlith::xdg
