#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
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

/// sway's windows and outputs as one pair of requests read them.
struct SwayState {
    std::vector<SwayView> views;
    std::vector<SwayOutput> outputs;
};

/// Reads the desktop from the protocol's toplevels, adding sway's tree where sway runs. sway's
/// answers are kept until its events or the protocol's say something changed, so a burst of
/// reads costs one pair of requests. Any thread.
class DesktopReader {
public:
    /// `sway` is null on other compositors; its events come on a connection of its own to
    /// `swaySocket`.
    DesktopReader(WaylandConnection& connection, SwayIpc* sway, const std::string& swaySocket);
    ~DesktopReader();

    DesktopReading read();
    /// The outputs alone, the primary one first.
    std::vector<LayoutOutput> outputs();
    WaylandConnection& connection() { return connection_; }
    /// sway's IPC; null on other compositors.
    SwayIpc* sway() { return sway_; }

private:
    /// What sway says now; null without sway.
    std::shared_ptr<const SwayState> swayState();
    /// sway's outputs where it runs, else the protocol's; the primary one first.
    std::vector<LayoutOutput> layoutOutputs(const SwayState* sway);
    Pid standInPid(const std::string& appId);

    /// The protocol's and sway's counts of changes when a state was read.
    using Generations = std::pair<std::uint64_t, std::uint64_t>;

    WaylandConnection& connection_;
    SwayIpc* sway_;
    std::atomic<std::uint64_t> swayChanges_ = 0;
    std::mutex mutex_;
    std::map<std::string, Pid> standInPids_;
    std::shared_ptr<const SwayState> kept_;
    Generations keptAt_;
    std::unique_ptr<SwayEvents> swayEvents_;  ///< last: its thread counts changes into the members above
};

}  // namespace zerlith::wlroots
