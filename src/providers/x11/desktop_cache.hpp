#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/desktop_events.hpp"
#include "providers/x11/desktop_snapshot.hpp"
#include "providers/x11/root_fetch.hpp"
#include "providers/x11/xcb_connection.hpp"

namespace zerlith::x11 {

/// How long a call that names no timeout of its own waits for the X server.
inline constexpr double kDefaultReplyTimeout = 1.0;

/// The desktop as last read from the X server, kept current by the server's change events: a
/// window's property is read again only after it changed, so a repeated enumeration costs a few
/// requests instead of ten per window. Any thread; one lock guards the cache.
class DesktopCache {
public:
    /// Starts listening to RandR's changes (and, after the first read, the root window's); reads
    /// nothing yet.
    explicit DesktopCache(XcbConnection& connection);

    /// Which change events a call must take into account.
    enum class Events {
        all,              ///< every event the server has sent so far (costs a system call)
        lastMillisecond,  ///< those seen up to a millisecond ago: for the many reads of one pass
    };

    /// The desktop now. Re-reads what changed since the last call, as its change events tell, and
    /// checks the root window with the server when that was last done more than a moment ago.
    /// Waits at most `timeoutSeconds` for the server; an empty desktop when it is gone or does
    /// not answer.
    std::shared_ptr<const DesktopSnapshot> current(double timeoutSeconds, Events events = Events::all);

    /// The changes the server's events told of since the last call, oldest first; reads the
    /// events waiting on the socket, never waits for the server.
    std::vector<platform::DesktopChange> takeChanges();

    /// Waits for the reply to the request `sequence` (null as XcbConnection::waitForReply), then
    /// applies the events read with it: taken off the socket, they are out of sight of the event
    /// loop's watch, and a key press left there would keep a held keyboard stopped. For requests
    /// made outside the cache.
    void* waitForReply(unsigned sequence, const Deadline& deadline);

    /// Where key events and keyboard notifications go as they are read; it answers whether the
    /// event was one of those. Called under the cache's lock: it must not call the cache. Set it
    /// before the events it wants can arrive.
    void setKeyEventSink(std::function<bool(const xcb_generic_event_t&)> sink) { keyEventSink_ = std::move(sink); }
    /// Told as soon as an event says the active window changed; called under the cache's lock
    /// like the key event sink.
    void setActiveWindowListener(std::function<void()> listener) { activeWindowListener_ = std::move(listener); }

    /// Makes the next current() check with the server: call after sending a request that
    /// changes the desktop, so the caller's next read waits for the server's answer to it.
    void expire();

private:
    struct Entry {
        ClientWindow window;
        unsigned stale;        // fields to read again
        bool listening;        // its change events are selected
        bool complete;         // every field was read at least once
    };

    /// Applies the change events that have arrived; returns at once.
    void drainEvents(std::chrono::steady_clock::time_point now, Events events);
    /// What a property change of the root window means; none for one of no interest.
    std::optional<platform::DesktopChange::Kind> rootChangeKind(xcb_atom_t property);
    /// Whether the server answered a probe that timed out earlier (without waiting).
    bool recovered();
    /// Starts listening to the root window's property changes.
    void listenToRoot();
    bool refreshRoot(const Deadline& deadline);
    void refreshWindows(const Deadline& deadline);
    std::shared_ptr<const DesktopSnapshot> rebuild() const;

    XcbConnection& connection_;
    RootReader rootReader_;
    std::mutex mutex_;
    std::optional<RootState> root_;
    std::unordered_map<xcb_window_t, Entry> windows_;
    std::unordered_set<xcb_window_t> staleWindows_;  // those with fields to read again
    bool rootStale_ = true;
    bool listeningToRoot_ = false;
    bool changed_ = true;
    std::chrono::steady_clock::time_point lastRootCheck_;
    std::chrono::steady_clock::time_point lastSocketRead_;
    std::optional<unsigned> unansweredProbe_;  // a root read the server did not answer in time
    std::shared_ptr<const DesktopSnapshot> snapshot_;
    std::vector<platform::DesktopChange> changes_;  // told by events, not yet taken
    std::function<bool(const xcb_generic_event_t&)> keyEventSink_;
    std::function<void()> activeWindowListener_;
};

}  // namespace zerlith::x11
