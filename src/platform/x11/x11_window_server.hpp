#pragma once

#include "platform/window_server.hpp"
#include "platform/x11/desktop_cache.hpp"

namespace zerlith::x11 {

/// The window list from the EWMH client lists. Records carry the window id, the owner's pid,
/// the UTF-8 title, the frame (decorations included, top-left space), the layer (0 for normal
/// and dialog windows), the opacity when set, and whether the window is on the current desktop
/// and not minimized. Keys the server could not give are left out. Any thread.
class X11WindowServer final : public platform::WindowServer {
public:
    X11WindowServer(XcbConnection& connection, DesktopCache& cache) : connection_(connection), cache_(cache) {}

    /// X has no capture permission: always true.
    bool preflightScreenCaptureAccess() override { return true; }
    bool requestScreenCaptureAccess() override { return true; }
    /// Client windows front to back; desktop backgrounds left out.
    std::vector<platform::WindowRecord> windowList() override;
    /// _NET_WM_ICON; waits for the server as long as any read.
    std::optional<platform::WindowIcon> windowIcon(std::uint32_t windowNumber, int preferredSize) override;

private:
    XcbConnection& connection_;
    DesktopCache& cache_;
};

}  // namespace zerlith::x11
