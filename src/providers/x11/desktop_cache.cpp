#include "providers/x11/desktop_cache.hpp"

#include <vector>

#include <xcb/randr.h>

#include "providers/x11/window_fetch.hpp"

namespace zerlith::x11 {
namespace {

/// How long the root's state is trusted without asking the server. Change events keep the cache
/// current; this check only bounds the damage of a change whose event is still on its way.
constexpr auto kRootFreshness = std::chrono::milliseconds(100);

/// How many untaken changes are kept: a process that never takes them (a command-line mode) must
/// not grow without bound while a window retitles itself many times a second.
constexpr std::size_t kMostPendingChanges = 1024;

/// How old the last look at the socket may be for Events::lastMillisecond. Looking on every call
/// would cost a system call per attribute an enumeration reads.
constexpr auto kEventLatency = std::chrono::milliseconds(1);

std::shared_ptr<const DesktopSnapshot> emptyDesktop() {
    static const auto empty = std::make_shared<const DesktopSnapshot>();
    return empty;
}

}  // namespace

DesktopCache::DesktopCache(XcbConnection& connection) : connection_(connection), rootReader_(connection) {
    if (connection_.randrFirstEvent()) {
        xcb_randr_select_input(connection_.raw(), connection_.root(),
                               XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                                   XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE);
    }
    connection_.flush();
}

std::shared_ptr<const DesktopSnapshot> DesktopCache::current(double timeoutSeconds, Events events) {
    std::lock_guard lock(mutex_);
    if (connection_.broken()) return emptyDesktop();
    // A server that left a probe unanswered is taken as stopped until it answers: one timeout
    // per outage, not one per call.
    if (unansweredProbe_ && !recovered()) return emptyDesktop();

    auto now = std::chrono::steady_clock::now();
    drainEvents(now, events);
    if (now - lastRootCheck_ > kRootFreshness) rootStale_ = true;
    Deadline deadline = Deadline::after(timeoutSeconds);
    if (rootStale_) {
        if (!refreshRoot(deadline)) {
            if (!connection_.broken()) unansweredProbe_ = xcb_get_input_focus(connection_.raw()).sequence;
            connection_.flush();
            return emptyDesktop();
        }
        lastRootCheck_ = now;
    }
    refreshWindows(deadline);
    if (!listeningToRoot_) listenToRoot();
    if (changed_) {
        snapshot_ = rebuild();
        changed_ = false;
    }
    // Waiting for replies may have read events off the socket into xcb's queue, where the event
    // loop's watch on the socket cannot see them: a key press must not wait there.
    drainEvents(std::chrono::steady_clock::now(), Events::lastMillisecond);
    return snapshot_;
}

std::vector<platform::DesktopChange> DesktopCache::takeChanges() {
    std::lock_guard lock(mutex_);
    if (!connection_.broken()) drainEvents(std::chrono::steady_clock::now(), Events::all);
    return std::exchange(changes_, {});
}

void* DesktopCache::waitForReply(unsigned sequence, const Deadline& deadline) {
    void* reply = connection_.waitForReply(sequence, deadline);
    std::lock_guard lock(mutex_);
    if (!connection_.broken()) drainEvents(std::chrono::steady_clock::now(), Events::all);
    return reply;
}

std::optional<platform::DesktopChange::Kind> DesktopCache::rootChangeKind(xcb_atom_t property) {
    const xcb_ewmh_connection_t& ewmh = *connection_.ewmh();
    using Kind = platform::DesktopChange::Kind;
    // Only the list itself: its stacking order changes with every raise, which launches nothing.
    if (property == ewmh._NET_CLIENT_LIST) return Kind::windowList;
    if (property == ewmh._NET_CURRENT_DESKTOP) return Kind::currentDesktop;
    if (property == ewmh._NET_ACTIVE_WINDOW) return Kind::activeWindow;
    if (property == ewmh._NET_WORKAREA) return Kind::screens;
    return std::nullopt;
}

void DesktopCache::expire() {
    std::lock_guard lock(mutex_);
    rootStale_ = true;
}

void DesktopCache::listenToRoot() {
    // Selecting events on the root makes the server walk the whole window tree, which takes
    // milliseconds with many windows. Asked for after the first read, that walk overlaps this
    // process's work on the replies instead of delaying them; a root change between the read and
    // the selection is caught by the freshness check.
    std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection_.raw(), connection_.root(), XCB_CW_EVENT_MASK, &mask);
    connection_.flush();
    listeningToRoot_ = true;
}

bool DesktopCache::recovered() {
    if (!connection_.replyArrived(*unansweredProbe_)) return false;
    unansweredProbe_.reset();
    rootStale_ = true;
    return true;
}

void DesktopCache::drainEvents(std::chrono::steady_clock::time_point now, Events events) {
    const auto randrBase = connection_.randrFirstEvent();
    // Events already read off the socket (with replies, say) are applied in either case.
    bool readSocket = events == Events::all || now - lastSocketRead_ >= kEventLatency;
    if (readSocket) lastSocketRead_ = now;
    auto next = [&] {
        return readSocket ? xcb_poll_for_event(connection_.raw()) : xcb_poll_for_queued_event(connection_.raw());
    };
    while (XcbReply<xcb_generic_event_t> event{next()}) {
        std::uint8_t type = event->response_type & 0x7F;  // the high bit marks events sent by clients
        auto staleField = [&](xcb_window_t window, unsigned field) {
            auto found = windows_.find(window);
            if (found == windows_.end() || field == 0) return;
            found->second.stale |= field;
            staleWindows_.insert(window);
        };
        using Kind = platform::DesktopChange::Kind;
        switch (type) {
        case XCB_PROPERTY_NOTIFY: {
            auto* change = reinterpret_cast<xcb_property_notify_event_t*>(event.get());
            if (change->window == connection_.root()) {
                rootStale_ = true;
                const auto kind = rootChangeKind(change->atom);
                if (kind) changes_.push_back({*kind, 0});
                if (kind == Kind::activeWindow && activeWindowListener_) activeWindowListener_();
            } else {
                const unsigned field = fieldForProperty(connection_, change->atom);
                staleField(change->window, field);
                if (field != 0) {
                    changes_.push_back({field == fields::kTitle ? Kind::windowTitle : Kind::windowState, change->window});
                }
            }
            break;
        }
        case XCB_CONFIGURE_NOTIFY: {
            // Window managers report moves of the frame with a synthetic event to the client.
            const auto window = reinterpret_cast<xcb_configure_notify_event_t*>(event.get())->window;
            staleField(window, fields::kGeometry);
            changes_.push_back({Kind::windowState, window});
            break;
        }
        case XCB_REPARENT_NOTIFY:
            staleField(reinterpret_cast<xcb_reparent_notify_event_t*>(event.get())->window, fields::kGeometry);
            break;
        case XCB_DESTROY_NOTIFY: {
            const auto window = reinterpret_cast<xcb_destroy_notify_event_t*>(event.get())->window;
            if (windows_.erase(window) > 0) {
                changed_ = true;
                changes_.push_back({Kind::windowGone, window});
            }
            rootStale_ = true;
            break;
        }
        default:
            if (keyEventSink_ && keyEventSink_(*event)) break;
            if (randrBase && (type == *randrBase + XCB_RANDR_SCREEN_CHANGE_NOTIFY || type == *randrBase + XCB_RANDR_NOTIFY)) {
                rootStale_ = true;
                changes_.push_back({Kind::screens, 0});
            }
            break;  // errors of requests sent unchecked, and events of no interest
        }
        if (changes_.size() > kMostPendingChanges) changes_.erase(changes_.begin(), changes_.begin() + kMostPendingChanges / 2);
    }
}

bool DesktopCache::refreshRoot(const Deadline& deadline) {
    auto state = rootReader_.read(deadline);
    if (!state) return false;
    rootStale_ = false;
    if (root_ && *root_ == *state) return true;

    std::unordered_set<xcb_window_t> listed(state->frontToBack.begin(), state->frontToBack.end());
    std::erase_if(windows_, [&](const auto& entry) { return !listed.contains(entry.first); });
    for (xcb_window_t id : state->frontToBack) {
        if (windows_.contains(id)) continue;
        Entry entry{ClientWindow{}, fields::kAll, false, false};
        entry.window.id = id;
        windows_.emplace(id, std::move(entry));
        staleWindows_.insert(id);
    }
    for (std::size_t position = 0; position < state->mappingOrder.size(); ++position) {
        if (auto found = windows_.find(state->mappingOrder[position]); found != windows_.end()) {
            found->second.window.mappingOrder = position;
        }
    }
    root_ = std::move(state);
    changed_ = true;
    return true;
}

void DesktopCache::refreshWindows(const Deadline& deadline) {
    if (staleWindows_.empty()) return;
    std::vector<FetchItem> items;
    std::vector<xcb_window_t> ids;
    for (xcb_window_t id : staleWindows_) {
        auto found = windows_.find(id);
        if (found == windows_.end()) continue;  // gone meanwhile
        Entry& entry = found->second;
        items.push_back(FetchItem{&entry.window, entry.stale, !entry.listening});
        ids.push_back(id);
    }
    staleWindows_.clear();
    std::vector<FetchOutcome> outcomes = fetchWindows(connection_, items, deadline);
    for (std::size_t i = 0; i < ids.size(); ++i) {
        auto found = windows_.find(ids[i]);
        switch (outcomes[i]) {
        case FetchOutcome::done:
            found->second.stale = 0;
            found->second.listening = found->second.complete = true;
            break;
        case FetchOutcome::vanished:
            windows_.erase(found);
            break;
        case FetchOutcome::timedOut:
            staleWindows_.insert(ids[i]);  // read again next time
            break;
        }
    }
    changed_ = true;
}

std::shared_ptr<const DesktopSnapshot> DesktopCache::rebuild() const {
    if (!root_) return emptyDesktop();
    std::vector<ClientWindow> frontToBack;
    frontToBack.reserve(root_->frontToBack.size());
    for (xcb_window_t id : root_->frontToBack) {
        auto found = windows_.find(id);
        if (found != windows_.end() && found->second.complete) frontToBack.push_back(found->second.window);
    }
    return std::make_shared<const DesktopSnapshot>(std::move(frontToBack), root_->activeWindow, root_->currentDesktop,
                                                   root_->workArea, root_->monitors, root_->rootFrame);
}

}  // namespace zerlith::x11
