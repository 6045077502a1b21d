#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/windows.hpp"
#include "platform/clock.hpp"
#include "platform/manual_dispatch.hpp"
#include "platform/platform.hpp"
#include "providers/x11/x11_desktop.hpp"
#include "x11/support/x_session.hpp"

namespace zerlith::x11::testing {

/// A test with its own X session and the X11 desktop connected to it (connected on first use,
/// so a test can prepare the environment and the windows first).
class X11DesktopTest : public ::testing::Test {
protected:
    explicit X11DesktopTest(XSession::Options options = {}) : session_(options) {}

    X11Desktop& desktop();
    XProbe& probe() { return session_.probe(); }
    XSession& session() { return session_; }
    platform::ManualClock& clock() { return clock_; }
    platform::ManualDispatch& dispatch() { return dispatch_; }

    /// Starts test windows and waits until the window manager (if any) manages them all.
    std::unique_ptr<TestWindows> map(const std::vector<std::string>& arguments);

    std::vector<desktop::Window> windowList() { return desktop().windows().list(); }
    /// One window as the list has it, or none when the list leaves it out.
    std::optional<desktop::Window> listed(xcb_window_t window);

private:
    XSession session_;
    platform::ManualClock clock_;
    platform::ManualDispatch dispatch_{clock_};
    std::unique_ptr<X11Desktop> desktop_;
};

}  // namespace zerlith::x11::testing
