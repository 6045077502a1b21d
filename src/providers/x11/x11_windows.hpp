#pragma once

#include "platform/clock.hpp"
#include "platform/dispatch.hpp"
#include "providers/x11/desktop_cache.hpp"
#include "providers/x11/window_activation.hpp"
#include "providers/xdg/xdg_windows.hpp"

namespace zerlith::x11 {

/// The client windows of an EWMH desktop. Every window is raised by its own id, on whichever
/// desktop it is, restored when minimized; moves are requests to the window manager. Any thread,
/// apart from what desktop::Windows keeps to the main thread.
class X11Windows final : public xdg::XdgWindows {
public:
    X11Windows(XcbConnection& connection, DesktopCache& cache, WindowActivation& activation,
               platform::Display& display, platform::Clock& clock, platform::Dispatch& dispatch)
        : connection_(connection), cache_(cache), activation_(activation), display_(display), clock_(clock),
          dispatch_(dispatch) {}

    /// Front to back; the desktop background, docks and panels, windows without a process or a
    /// title, and the switcher's own are left out.
    std::vector<desktop::Window> list() override;
    /// The active window, when `pid` owns it.
    std::optional<desktop::FocusedWindow> focusedWindow(Pid pid, double timeout) override;
    std::optional<Pid> ownerOf(std::uint32_t window) override;
    /// _NET_WM_ICON; waits for the server as long as any read.
    std::optional<platform::WindowIcon> icon(std::uint32_t window, int preferredSize) override;

private:
    /// Raises a window, then moves it on the main queue when asked; false when it is gone.
    bool raiseWindow(std::uint32_t window, const std::optional<platform::Screen>& movingTo) override;
    std::optional<std::uint32_t> frontWindowOf(Pid pid, std::string_view title) override;
    /// Main queue: moves a window onto `destination`, out of full screen first; a window already
    /// there, or gone, stays.
    void moveToScreen(xcb_window_t window, const platform::Screen& destination);

    XcbConnection& connection_;
    DesktopCache& cache_;
    WindowActivation& activation_;
    platform::Display& display_;
    platform::Clock& clock_;
    platform::Dispatch& dispatch_;
};

}  // namespace zerlith::x11
