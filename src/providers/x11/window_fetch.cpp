#include "providers/x11/window_fetch.hpp"

#include <climits>
#include <deque>
#include <utility>

#include <xcb/res.h>

namespace zerlith::x11 {
namespace {

/// Windows whose requests may be unanswered at once: about 30 KB of requests, far below what a
/// local socket buffers, yet enough to keep the server busy while replies are read.
constexpr std::size_t kWindowsInFlight = 128;

/// Window levels as the window list reports them for windows that are not normal or dialogs.
constexpr std::int64_t kDesktopLayer = INT32_MIN + 20;
constexpr std::int64_t kFloatingLayer = 3;
constexpr std::int64_t kModalPanelLayer = 8;
constexpr std::int64_t kDockLayer = 20;
constexpr std::int64_t kStatusLayer = 25;
constexpr std::int64_t kPopUpMenuLayer = 101;
constexpr std::int64_t kHelpLayer = 200;
constexpr std::int64_t kDraggingLayer = 500;

using PropertyReply = Pending<xcb_get_property_reply_t>;

/// Any client may set a title of megabytes, and re-set it a thousand times a second; no one reads
/// more than the first 16 KiB of one.
constexpr std::uint32_t kTitleLimitWords = 4096;
/// The window types and states a window holds: EWMH names about a dozen of each; a client may
/// store millions, of which only these are transferred.
constexpr std::uint32_t kAtomListLimitWords = 64;
/// An instance and a class name, 1 KiB in all.
constexpr std::uint32_t kClassLimitWords = 256;

struct Requests {
    PropertyReply pid, title, type, opacity, desktop, state, extents, windowClass;
    Pending<xcb_get_geometry_reply_t> size;
    Pending<xcb_translate_coordinates_reply_t> origin;
};

/// Second requests for what the first ones did not give: the legacy title and the pid that the
/// X server itself knows (many toolkits never set _NET_WM_PID).
struct FollowUp {
    std::size_t item;
    PropertyReply legacyTitle;
    Pending<xcb_res_query_client_ids_reply_t> clientIds;
    bool wantsTitle = false;
    bool wantsPid = false;
};

class Fetch {
public:
    Fetch(XcbConnection& connection, std::span<const FetchItem> items, const Deadline& deadline)
        : connection_(connection), ewmh_(*connection.ewmh()), items_(items), deadline_(deadline) {}

    std::vector<FetchOutcome> run() {
        std::vector<FetchOutcome> outcomes(items_.size(), FetchOutcome::done);
        std::deque<Requests> inFlight;
        std::size_t sent = 0;
        for (std::size_t next = 0; next < items_.size(); ++next) {
            for (; sent < items_.size() && sent < next + kWindowsInFlight; ++sent) inFlight.push_back(send(items_[sent]));
            Requests requests = std::move(inFlight.front());
            inFlight.pop_front();
            outcomes[next] = collect(next, requests);
        }
        for (FollowUp& followUp : followUps_) {
            if (outcomes[followUp.item] == FetchOutcome::done) outcomes[followUp.item] = collect(followUp);
        }
        return outcomes;
    }

private:
    Requests send(const FetchItem& item) {
        xcb_connection_t* raw = connection_.raw();
        xcb_window_t id = item.window->id;
        if (item.listen) {
            // Listen before reading, so that no change slips between the reply and the selection.
            std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
            xcb_change_window_attributes(raw, id, XCB_CW_EVENT_MASK, &mask);
        }
        Requests requests;
        auto want = [&](unsigned field) { return (item.fields & field) != 0; };
        // Every length is named: the typed helpers of lists ask for the whole value, however long.
        auto property = [&](xcb_atom_t atom, xcb_atom_t type, std::uint32_t words) {
            return PropertyReply(connection_, xcb_get_property(raw, 0, id, atom, type, 0, words).sequence);
        };
        if (want(fields::kPid)) requests.pid = property(ewmh_._NET_WM_PID, XCB_ATOM_CARDINAL, 1);
        // Any type: some clients store the title as STRING, which a typed request would hide.
        if (want(fields::kTitle)) requests.title = property(ewmh_._NET_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, kTitleLimitWords);
        if (want(fields::kType)) requests.type = property(ewmh_._NET_WM_WINDOW_TYPE, XCB_ATOM_ATOM, kAtomListLimitWords);
        if (want(fields::kOpacity)) requests.opacity = property(connection_.opacityAtom(), XCB_ATOM_CARDINAL, 1);
        if (want(fields::kDesktop)) requests.desktop = property(ewmh_._NET_WM_DESKTOP, XCB_ATOM_CARDINAL, 1);
        if (want(fields::kState)) requests.state = property(ewmh_._NET_WM_STATE, XCB_ATOM_ATOM, kAtomListLimitWords);
        if (want(fields::kExtents)) requests.extents = property(ewmh_._NET_FRAME_EXTENTS, XCB_ATOM_CARDINAL, 4);
        if (want(fields::kClass)) requests.windowClass = property(XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, kClassLimitWords);
        if (want(fields::kGeometry)) {
            requests.size = {connection_, xcb_get_geometry(raw, id).sequence};
            requests.origin = {connection_, xcb_translate_coordinates(raw, id, connection_.root(), 0, 0).sequence};
        }
        return requests;
    }

    FetchOutcome collect(std::size_t index, Requests& requests) {
        const FetchItem& item = items_[index];
        ClientWindow& window = *item.window;
        bool lost = false;
        // A missing reply is an error (the window is gone) unless the deadline cut it off.
        auto get = [&](auto& pending) {
            auto* reply = pending.get(deadline_);
            if (reply == nullptr) lost = true;
            return reply;
        };
        auto want = [&](unsigned field) { return (item.fields & field) != 0; };
        FollowUp followUp;
        followUp.item = index;

        if (want(fields::kPid)) {
            auto pid = firstCardinal(get(requests.pid), XCB_ATOM_CARDINAL);
            window.pid = pid && *pid > 0 && *pid <= INT32_MAX ? std::optional<Pid>(static_cast<Pid>(*pid)) : std::nullopt;
            if (!window.pid && connection_.hasClientIds()) {
                xcb_res_client_id_spec_t spec{window.id, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
                followUp.clientIds = {connection_, xcb_res_query_client_ids(connection_.raw(), 1, &spec).sequence};
                followUp.wantsPid = true;
            }
        }
        if (want(fields::kTitle)) {
            window.title = text(get(requests.title), connection_.compoundTextAtom());
            if (!window.title) {
                followUp.legacyTitle = {connection_, xcb_get_property(connection_.raw(), 0, window.id, XCB_ATOM_WM_NAME,
                                                                      XCB_GET_PROPERTY_TYPE_ANY, 0, kTitleLimitWords)
                                                         .sequence};
                followUp.wantsTitle = true;
            }
        }
        if (want(fields::kType)) applyType(window, cardinals(get(requests.type), XCB_ATOM_ATOM));
        if (want(fields::kOpacity)) {
            auto opacity = firstCardinal(get(requests.opacity), XCB_ATOM_CARDINAL);
            window.alpha = opacity ? std::optional<double>(*opacity / double(UINT32_MAX)) : std::nullopt;
        }
        if (want(fields::kDesktop)) window.desktop = firstCardinal(get(requests.desktop), XCB_ATOM_CARDINAL);
        if (want(fields::kState)) applyState(window, cardinals(get(requests.state), XCB_ATOM_ATOM));
        if (want(fields::kExtents)) {
            auto extents = cardinals(get(requests.extents), XCB_ATOM_CARDINAL);
            window.extents = extents && extents->size() == 4
                                 ? FrameExtents{double((*extents)[0]), double((*extents)[1]), double((*extents)[2]),
                                                double((*extents)[3])}
                                 : FrameExtents{};
        }
        if (want(fields::kClass)) window.windowClass = x11::windowClass(get(requests.windowClass));
        if (want(fields::kGeometry)) {
            auto* size = get(requests.size);
            auto* origin = get(requests.origin);
            window.clientArea = size && origin ? std::optional<Rect>(Rect{double(origin->dst_x), double(origin->dst_y),
                                                                          double(size->width), double(size->height)})
                                               : std::nullopt;
        }
        if (lost) return deadline_.passed() ? FetchOutcome::timedOut : FetchOutcome::vanished;
        if (followUp.wantsPid || followUp.wantsTitle) followUps_.push_back(std::move(followUp));
        return FetchOutcome::done;
    }

    FetchOutcome collect(FollowUp& followUp) {
        ClientWindow& window = *items_[followUp.item].window;
        if (followUp.wantsTitle) {
            auto* reply = followUp.legacyTitle.get(deadline_);
            if (reply == nullptr && deadline_.passed()) return FetchOutcome::timedOut;
            window.title = text(reply, connection_.compoundTextAtom());
        }
        if (followUp.wantsPid) {
            auto* reply = followUp.clientIds.get(deadline_);
            if (reply == nullptr && deadline_.passed()) return FetchOutcome::timedOut;
            window.pid = clientPid(reply);
        }
        return FetchOutcome::done;
    }

    static std::optional<Pid> clientPid(const xcb_res_query_client_ids_reply_t* reply) {
        if (reply == nullptr) return std::nullopt;
        for (auto it = xcb_res_query_client_ids_ids_iterator(reply); it.rem > 0; xcb_res_client_id_value_next(&it)) {
            if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) == 0) continue;
            if (xcb_res_client_id_value_value_length(it.data) != 1) continue;
            std::uint32_t pid = *xcb_res_client_id_value_value(it.data);
            if (pid > 0 && pid <= INT32_MAX) return static_cast<Pid>(pid);
        }
        return std::nullopt;
    }

    void applyType(ClientWindow& window, const std::optional<std::vector<std::uint32_t>>& types) const {
        const std::pair<xcb_atom_t, std::int64_t> layers[] = {
            {ewmh_._NET_WM_WINDOW_TYPE_NORMAL, 0},
            {ewmh_._NET_WM_WINDOW_TYPE_DIALOG, 0},
            {ewmh_._NET_WM_WINDOW_TYPE_DESKTOP, kDesktopLayer},
            {ewmh_._NET_WM_WINDOW_TYPE_DOCK, kDockLayer},
            {ewmh_._NET_WM_WINDOW_TYPE_TOOLBAR, kFloatingLayer},
            {ewmh_._NET_WM_WINDOW_TYPE_MENU, kFloatingLayer},
            {ewmh_._NET_WM_WINDOW_TYPE_UTILITY, kFloatingLayer},
            {ewmh_._NET_WM_WINDOW_TYPE_SPLASH, kModalPanelLayer},
            {ewmh_._NET_WM_WINDOW_TYPE_NOTIFICATION, kStatusLayer},
            {ewmh_._NET_WM_WINDOW_TYPE_DROPDOWN_MENU, kPopUpMenuLayer},
            {ewmh_._NET_WM_WINDOW_TYPE_POPUP_MENU, kPopUpMenuLayer},
            {ewmh_._NET_WM_WINDOW_TYPE_COMBO, kPopUpMenuLayer},
            {ewmh_._NET_WM_WINDOW_TYPE_TOOLTIP, kHelpLayer},
            {ewmh_._NET_WM_WINDOW_TYPE_DND, kDraggingLayer},
        };
        window.layer = 0;  // untyped windows are normal windows or, when transient, dialogs
        window.isDesktop = false;
        // The list is in order of preference; the first type this backend knows decides.
        for (std::uint32_t type : types.value_or(std::vector<std::uint32_t>{})) {
            for (auto [atom, layer] : layers) {
                if (type != atom) continue;
                window.layer = layer;
                window.isDesktop = atom == ewmh_._NET_WM_WINDOW_TYPE_DESKTOP;
                return;
            }
        }
    }

    void applyState(ClientWindow& window, const std::optional<std::vector<std::uint32_t>>& states) const {
        window.hidden = window.fullScreen = window.stickyState = false;
        for (std::uint32_t state : states.value_or(std::vector<std::uint32_t>{})) {
            window.hidden |= state == ewmh_._NET_WM_STATE_HIDDEN;
            window.fullScreen |= state == ewmh_._NET_WM_STATE_FULLSCREEN;
            window.stickyState |= state == ewmh_._NET_WM_STATE_STICKY;
        }
    }

    XcbConnection& connection_;
    xcb_ewmh_connection_t& ewmh_;
    std::span<const FetchItem> items_;
    const Deadline& deadline_;
    std::vector<FollowUp> followUps_;
};

}  // namespace

unsigned fieldForProperty(XcbConnection& connection, xcb_atom_t property) {
    const xcb_ewmh_connection_t& ewmh = *connection.ewmh();
    if (property == ewmh._NET_WM_PID) return fields::kPid;
    if (property == ewmh._NET_WM_NAME || property == XCB_ATOM_WM_NAME) return fields::kTitle;
    if (property == ewmh._NET_WM_WINDOW_TYPE) return fields::kType;
    if (property == connection.opacityAtom()) return fields::kOpacity;
    if (property == ewmh._NET_WM_DESKTOP) return fields::kDesktop;
    if (property == ewmh._NET_WM_STATE) return fields::kState;
    if (property == ewmh._NET_FRAME_EXTENTS) return fields::kExtents;
    if (property == XCB_ATOM_WM_CLASS) return fields::kClass;
    return 0;
}

std::vector<FetchOutcome> fetchWindows(XcbConnection& connection, std::span<const FetchItem> items,
                                       const Deadline& deadline) {
    return Fetch(connection, items, deadline).run();
}

}  // namespace zerlith::x11
