#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include <xcb/xcb.h>

#include "platform/geometry.hpp"
#include "providers/x11/property_decoding.hpp"
#include "providers/x11/screen_layout.hpp"

namespace zerlith::x11 {

/// _NET_WM_DESKTOP of a window shown on every desktop.
inline constexpr std::uint32_t kAllDesktops = 0xFFFFFFFF;

/// The decorations a window manager draws around a client window (_NET_FRAME_EXTENTS).
struct FrameExtents {
    double left = 0;
    double right = 0;
    double top = 0;
    double bottom = 0;
};

/// What one managed (client) window is, as far as the X server could tell. Values the server did
/// not give (or gave in a wrong shape) are absent.
struct ClientWindow {
    xcb_window_t id = XCB_NONE;
    std::optional<Pid> pid;
    std::optional<std::string> title;   ///< UTF-8
    std::optional<Rect> clientArea;     ///< root coordinates, without decorations
    FrameExtents extents;
    std::int64_t layer = 0;             ///< 0 for normal and dialog windows, as on the window list
    bool isDesktop = false;             ///< the desktop background window
    std::optional<double> alpha;        ///< 0…1, only when the window sets an opacity
    std::optional<std::uint32_t> desktop;
    bool hidden = false;                ///< minimized (_NET_WM_STATE_HIDDEN)
    bool fullScreen = false;
    bool stickyState = false;           ///< _NET_WM_STATE_STICKY
    std::optional<WindowClass> windowClass;
    std::size_t mappingOrder = 0;       ///< position in _NET_CLIENT_LIST: older windows first

    /// The window with its decorations, root coordinates.
    std::optional<Rect> frame() const;
    /// Shown on every desktop.
    bool sticky() const { return stickyState || desktop == kAllDesktops; }
};

/// The desktop at one moment: immutable once built, shared by readers without a lock.
class DesktopSnapshot {
public:
    DesktopSnapshot() = default;
    DesktopSnapshot(std::vector<ClientWindow> frontToBack, std::optional<xcb_window_t> activeWindow,
                    std::optional<std::uint32_t> currentDesktop, std::optional<Rect> workArea,
                    std::vector<Monitor> monitors, Rect rootFrame);

    /// Client windows, front to back.
    const std::vector<ClientWindow>& windows() const { return windows_; }
    const ClientWindow* find(xcb_window_t id) const;

    std::optional<xcb_window_t> activeWindow() const { return activeWindow_; }
    const ClientWindow* active() const { return activeWindow_ ? find(*activeWindow_) : nullptr; }
    std::optional<std::uint32_t> currentDesktop() const { return currentDesktop_; }
    /// Whether a window shows on the current desktop when not minimized (true without desktops).
    bool onCurrentDesktop(const ClientWindow& window) const;

    /// The screens, from the RandR monitors (in any order), the work area of the current desktop
    /// and the root window's size.
    const ScreenLayout& layout() const { return layout_; }

private:
    std::vector<ClientWindow> windows_;
    std::unordered_map<xcb_window_t, std::size_t> index_;
    std::optional<xcb_window_t> activeWindow_;
    std::optional<std::uint32_t> currentDesktop_;
    ScreenLayout layout_;
};

}  // namespace zerlith::x11
