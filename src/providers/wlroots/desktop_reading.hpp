#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <set>
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

/// An output where the compositor's layout places it.
struct LayoutOutput {
    std::string name;  ///< the connector: "DP-1"
    Rect frame;        ///< layout coordinates
    bool focused = false;
};

/// One toplevel, with what sway knows of it where sway runs.
struct DesktopWindow {
    Toplevel toplevel;
    std::optional<SwayView> view;
    /// sway's pid of it; elsewhere a stand-in shared by the windows of one app id, negative so
    /// that it never names a real process.
    Pid pid = 0;
    /// In the top-left space: sway's frame, else that of the first output it is on (the protocol
    /// tells no more), else the primary output's.
    Rect frame;
    bool onCurrentWorkspace = false;  ///< on a workspace an output shows, and not minimized
};

/// The desktop as read at one moment: the windows front to back, and the outputs.
struct DesktopReading {
    std::vector<DesktopWindow> windows;
    std::vector<LayoutOutput> outputs;  ///< the primary one (at the layout's origin, else the first) first
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
    /// The outputs alone, the primary one first.
    std::vector<LayoutOutput> outputs() { return readOutputs(nullptr); }
    WaylandConnection& connection() { return connection_; }
    /// sway's IPC; null on other compositors.
    SwayIpc* sway() { return sway_; }

private:
    /// sway's outputs (adding the workspaces they show to `shownWorkspaces`), else the protocol's.
    std::vector<LayoutOutput> readOutputs(std::set<std::string>* shownWorkspaces);
    Pid standInPid(const std::string& appId);

    WaylandConnection& connection_;
    SwayIpc* sway_;
    std::mutex mutex_;
    std::map<std::string, Pid> standInPids_;
};

}  // namespace zerlith::wlroots
