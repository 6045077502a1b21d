#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/desktop_events.hpp"
#include "platform/geometry.hpp"
#include "providers/wlroots/toplevel_list.hpp"

struct wl_display;

namespace zerlith::wlroots {

/// An output as the core protocol describes it.
struct WaylandOutput {
    std::uint32_t id = 0;  ///< the compositor's name for the global
    std::string name;      ///< e.g. "HDMI-A-1"; empty before version 4
    Rect frame;            ///< layout coordinates, in logical pixels
};

/// A connection to a Wayland compositor that offers foreign-toplevel management: the toplevels
/// and outputs kept current by the compositor's events, which a thread of its own reads, and the
/// requests the switcher makes of them. Any thread. A compositor that goes away leaves no
/// toplevels and no outputs behind.
class WaylandConnection {
public:
    /// Connects to the Wayland display `name` ("wayland-1", or a socket's path) and reads the
    /// toplevels once. Null when it cannot be reached or lacks foreign-toplevel management
    /// (`error` says which).
    static std::unique_ptr<WaylandConnection> open(const std::string& name, std::string* error);
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    std::vector<Toplevel> toplevels();
    std::vector<WaylandOutput> outputs();
    /// Asks the compositor to restore and focus a toplevel; false when it is gone.
    bool activate(std::uint32_t id);

    /// Readable while changes wait in takeChanges().
    int changesDescriptor() const { return changesReady_; }
    std::vector<platform::DesktopChange> takeChanges();
    /// Counts the changes so far: what was read under one generation still holds.
    std::uint64_t generation() const { return generation_; }

    struct Objects;  ///< the protocol objects and their listeners' state

private:
    explicit WaylandConnection(std::unique_ptr<Objects> objects);
    void readEvents();
    /// Signals the change descriptor when the last dispatch brought changes; under the lock.
    void announceChanges();

    std::unique_ptr<Objects> objects_;
    std::mutex mutex_;  ///< guards objects_ apart from the display's own queue
    std::vector<platform::DesktopChange> changes_;
    int changesReady_ = -1;
    int wake_ = -1;
    std::atomic<bool> stopping_ = false;
    std::atomic<std::uint64_t> generation_ = 0;
    std::thread reader_;
};

}  // namespace zerlith::wlroots
