#include "providers/x11/window_commands.hpp"

#include <algorithm>
#include <cmath>

namespace zerlith::x11 {
namespace {

/// X coordinates are 16-bit on the wire; anything beyond is clamped rather than wrapped.
std::uint32_t coordinate(double value) {
    double clamped = std::clamp(std::round(value), -32768.0, 32767.0);
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(clamped));
}

std::uint32_t extent(double value) { return static_cast<std::uint32_t>(std::clamp(std::round(value), 1.0, 32767.0)); }

}  // namespace

void activateWindow(XcbConnection& connection, const DesktopSnapshot& desktop, const ClientWindow& window) {
    if (!desktop.onCurrentDesktop(window)) {
        xcb_ewmh_request_change_current_desktop(connection.ewmh(), connection.screenNumber(), *window.desktop,
                                                XCB_CURRENT_TIME);
    }
    xcb_ewmh_request_change_active_window(connection.ewmh(), connection.screenNumber(), window.id,
                                          XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, XCB_CURRENT_TIME,
                                          desktop.activeWindow().value_or(XCB_NONE));
    connection.flush();
}

void setFullScreen(XcbConnection& connection, const ClientWindow& window, bool fullScreen) {
    xcb_ewmh_request_change_wm_state(connection.ewmh(), connection.screenNumber(), window.id,
                                     fullScreen ? XCB_EWMH_WM_STATE_ADD : XCB_EWMH_WM_STATE_REMOVE,
                                     connection.ewmh()->_NET_WM_STATE_FULLSCREEN, XCB_NONE,
                                     XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
    connection.flush();
}

// Static gravity makes the request name the client window's own position, so the frame's
// position is converted here with the decorations the window manager reports, whatever
// reference point it would otherwise pick.
void moveFrame(XcbConnection& connection, const ClientWindow& window, Point rootOrigin) {
    auto flags = static_cast<xcb_ewmh_moveresize_window_opt_flags_t>(XCB_EWMH_MOVERESIZE_WINDOW_X |
                                                                      XCB_EWMH_MOVERESIZE_WINDOW_Y);
    xcb_ewmh_request_moveresize_window(connection.ewmh(), connection.screenNumber(), window.id, XCB_GRAVITY_STATIC,
                                       XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, flags,
                                       coordinate(rootOrigin.x + window.extents.left),
                                       coordinate(rootOrigin.y + window.extents.top), 0, 0);
    connection.flush();
}

void resizeFrame(XcbConnection& connection, const ClientWindow& window, Size frameSize) {
    auto flags = static_cast<xcb_ewmh_moveresize_window_opt_flags_t>(XCB_EWMH_MOVERESIZE_WINDOW_WIDTH |
                                                                      XCB_EWMH_MOVERESIZE_WINDOW_HEIGHT);
    xcb_ewmh_request_moveresize_window(
        connection.ewmh(), connection.screenNumber(), window.id, XCB_GRAVITY_STATIC, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER,
        flags, 0, 0, extent(std::fabs(frameSize.width) - window.extents.left - window.extents.right),
        extent(std::fabs(frameSize.height) - window.extents.top - window.extents.bottom));
    connection.flush();
}

}  // namespace zerlith::x11
