#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.hpp"
#include "platform/manual_dispatch.hpp"
#include "platform/platform.hpp"
#include "platform/x11/x11_desktop.hpp"
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

    std::vector<platform::WindowRecord> windowList() { return desktop().windowServer().windowList(); }
    /// The record of one window, or none when the list leaves it out.
    std::optional<platform::WindowRecord> record(xcb_window_t window);
    /// The window element of one window, from its application's "AXWindows".
    platform::AXElementRef element(Pid pid, xcb_window_t window);

private:
    XSession session_;
    platform::ManualClock clock_;
    platform::ManualDispatch dispatch_{clock_};
    std::unique_ptr<X11Desktop> desktop_;
};

/// A member of a window record as type T, or none when missing or of another type.
template <typename T>
std::optional<T> memberValue(const std::optional<platform::WindowValue>& value) {
    if (const T* typed = platform::member<T>(value)) return *typed;
    return std::nullopt;
}

/// The bounds of a window record as a rectangle, or none.
std::optional<Rect> bounds(const platform::WindowRecord& record);

}  // namespace zerlith::x11::testing
