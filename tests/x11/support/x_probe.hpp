#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include "platform/geometry.hpp"
#include "support/eventually.hpp"

namespace zerlith::x11::testing {

using zerlith::testing::eventually;

/// The tests' own connection to the X server, to look at what the backend did and to change
/// windows behind its back.
class XProbe {
public:
    explicit XProbe(const std::string& display);
    ~XProbe();
    XProbe(const XProbe&) = delete;
    XProbe& operator=(const XProbe&) = delete;

    xcb_connection_t* raw() { return connection_; }
    xcb_ewmh_connection_t& ewmh() { return ewmh_; }
    xcb_window_t root() const { return root_; }
    xcb_atom_t atom(const std::string& name);
    /// Waits until the server has handled everything sent so far.
    void sync();

    std::optional<xcb_window_t> activeWindow();
    /// The window with the keyboard focus; none when the focus is on no window. The palette has
    /// it without the window manager naming it active.
    std::optional<xcb_window_t> focusedWindow();
    std::optional<std::uint32_t> currentDesktop();
    std::vector<xcb_window_t> clientList();
    bool hasState(xcb_window_t window, xcb_atom_t state);
    /// Root coordinates of the window with the window manager's decorations.
    std::optional<Rect> frame(xcb_window_t window);
    bool windowManagerRunning();

    void setProperty(xcb_window_t window, xcb_atom_t property, xcb_atom_t type, std::uint8_t format,
                     const void* data, std::uint32_t items);
    void destroy(xcb_window_t window);
    void warpPointer(int x, int y);
    /// Asks the window manager to switch to a desktop.
    void requestDesktop(std::uint32_t desktop);

private:
    std::optional<std::vector<std::uint32_t>> cardinals(xcb_window_t window, xcb_atom_t property, xcb_atom_t type);

    xcb_connection_t* connection_;
    xcb_ewmh_connection_t ewmh_{};
    xcb_window_t root_ = XCB_NONE;
};

}  // namespace zerlith::x11::testing
