#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "providers/wlroots/sway_ipc.hpp"
#include "providers/wlroots/sway_tree.hpp"
#include "providers/wlroots/toplevel_list.hpp"
#include "providers/wlroots/wayland_connection.hpp"

namespace zerlith::wlroots {

/// The app id of the switcher's own windows: Qt gives them its desktop entry's name.
inline constexpr std::string_view kOwnAppId = "dev.zerlith.Zerlith";

/// One toplevel, with what sway knows of it where sway runs.
struct DesktopWindow {
    Toplevel toplevel;
    std::optional<SwayView> view;
    /// sway's pid of it; elsewhere a stand-in shared by the windows of one app id, negative so
    /// that it never names a real process.
    Pid pid = 0;
    bool onCurrentWorkspace = false;  ///< on a workspace an output shows, and not minimized
};

/// The desktop as read at one moment: the windows front to back.
struct DesktopReading {
    std::vector<DesktopWindow> windows;
    const DesktopWindow* find(std::uint32_t id) const;
    /// The window with the keyboard focus, if any.
    const DesktopWindow* active() const;
};

/// Sway's view for each toplevel (by index), or none: the first unclaimed view with the same
/// app id and title, in tree order. Windows that look alike are told apart only by order.
std::vector<std::optional<SwayView>> matchViews(const std::vector<Toplevel>& toplevels, const std::vector<SwayView>& views);

/// Reads the desktop from the protocol's toplevels, adding sway's tree where sway runs. Any
/// thread.
class DesktopReader {
public:
    DesktopReader(WaylandConnection& connection, SwayIpc* sway) : connection_(connection), sway_(sway) {}

    DesktopReading read();
    /// sway's outputs; empty without sway.
    std::vector<SwayOutput> swayOutputs();
    WaylandConnection& connection() { return connection_; }
    /// sway's IPC; null on other compositors.
    SwayIpc* sway() { return sway_; }

private:
    Pid standInPid(const std::string& appId);

    WaylandConnection& connection_;
    SwayIpc* sway_;
    std::mutex mutex_;
    std::map<std::string, Pid> standInPids_;
};

}  // namespace zerlith::wlroots
