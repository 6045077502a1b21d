#include "providers/x11/root_fetch.hpp"

#include <algorithm>

#include "providers/x11/property_decoding.hpp"
#include "providers/x11/text_encoding.hpp"

namespace zerlith::x11 {
namespace {

using PropertyReply = Pending<xcb_get_property_reply_t>;

/// Every length is named: the typed helpers ask for a list's whole value, which a client may make
/// gigabytes long. These are far above what a desktop holds.
constexpr std::uint32_t kWindowListLimitWords = 65536;
constexpr std::uint32_t kWorkAreaLimitWords = 4 * 1024;  // four per desktop

std::vector<xcb_window_t> reversed(std::vector<xcb_window_t> windows) {
    std::reverse(windows.begin(), windows.end());
    return windows;
}

}  // namespace

std::optional<RootState> RootReader::read(const Deadline& deadline) {
    xcb_ewmh_connection_t* ewmh = connection_.ewmh();
    xcb_window_t root = connection_.root();
    auto property = [&](xcb_atom_t atom, xcb_atom_t type, std::uint32_t words) {
        return PropertyReply(connection_, xcb_get_property(connection_.raw(), 0, root, atom, type, 0, words).sequence);
    };

    Pending<xcb_get_geometry_reply_t> geometry(connection_, xcb_get_geometry(connection_.raw(), root).sequence);
    PropertyReply stacking = property(ewmh->_NET_CLIENT_LIST_STACKING, XCB_ATOM_WINDOW, kWindowListLimitWords);
    PropertyReply clients = property(ewmh->_NET_CLIENT_LIST, XCB_ATOM_WINDOW, kWindowListLimitWords);
    PropertyReply active = property(ewmh->_NET_ACTIVE_WINDOW, XCB_ATOM_WINDOW, 1);
    PropertyReply desktop = property(ewmh->_NET_CURRENT_DESKTOP, XCB_ATOM_CARDINAL, 1);
    PropertyReply workAreas = property(ewmh->_NET_WORKAREA, XCB_ATOM_CARDINAL, kWorkAreaLimitWords);
    Pending<xcb_randr_get_monitors_reply_t> monitors;
    if (connection_.randrFirstEvent()) {
        monitors = {connection_, xcb_randr_get_monitors(connection_.raw(), root, 1).sequence};
    }

    // The root always exists: no geometry means no answer in time, or no server at all.
    const xcb_get_geometry_reply_t* rootGeometry = geometry.get(deadline);
    if (rootGeometry == nullptr) return std::nullopt;

    RootState state;
    state.rootFrame = Rect{0, 0, double(rootGeometry->width), double(rootGeometry->height)};
    auto stackingOrder = cardinals(stacking.get(deadline), XCB_ATOM_WINDOW);
    auto clientOrder = cardinals(clients.get(deadline), XCB_ATOM_WINDOW);
    // Without a stacking list, later mapped windows are taken to be in front.
    state.frontToBack = reversed(stackingOrder ? *stackingOrder : clientOrder.value_or(std::vector<xcb_window_t>{}));
    state.mappingOrder = clientOrder ? *clientOrder : stackingOrder.value_or(std::vector<xcb_window_t>{});
    auto activeWindow = firstCardinal(active.get(deadline), XCB_ATOM_WINDOW);
    if (activeWindow && *activeWindow != XCB_NONE) state.activeWindow = activeWindow;
    state.currentDesktop = firstCardinal(desktop.get(deadline), XCB_ATOM_CARDINAL);
    if (auto areas = cardinals(workAreas.get(deadline), XCB_ATOM_CARDINAL); areas && areas->size() >= 4) {
        std::size_t index = state.currentDesktop.value_or(0);
        if ((index + 1) * 4 > areas->size()) index = 0;
        const std::uint32_t* area = areas->data() + index * 4;
        state.workArea = Rect{double(std::int32_t(area[0])), double(std::int32_t(area[1])), double(area[2]),
                              double(area[3])};
    }
    state.monitors = monitorsFrom(monitors.get(deadline), deadline);
    return state;
}

std::vector<Monitor> RootReader::monitorsFrom(const xcb_randr_get_monitors_reply_t* reply, const Deadline& deadline) {
    if (reply == nullptr) return {};
    std::vector<xcb_randr_monitor_info_t> infos;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(reply); it.rem > 0; xcb_randr_monitor_info_next(&it)) {
        infos.push_back(*it.data);
    }
    std::vector<std::pair<xcb_atom_t, Pending<xcb_get_atom_name_reply_t>>> unnamed;
    for (const auto& info : infos) {
        bool asked = std::any_of(unnamed.begin(), unnamed.end(), [&](const auto& entry) { return entry.first == info.name; });
        if (info.name != XCB_NONE && !atomNames_.contains(info.name) && !asked) {
            unnamed.emplace_back(info.name, Pending<xcb_get_atom_name_reply_t>(
                                                connection_, xcb_get_atom_name(connection_.raw(), info.name).sequence));
        }
    }
    for (auto& [atom, pending] : unnamed) {
        if (const auto* name = pending.get(deadline)) {
            atomNames_[atom] = utf8FromLatin1({xcb_get_atom_name_name(name), size_t(xcb_get_atom_name_name_length(name))});
        }
    }
    std::vector<Monitor> result;
    for (const auto& info : infos) {
        auto name = atomNames_.find(info.name);
        result.push_back(Monitor{name != atomNames_.end() ? name->second : std::string(),
                                 Rect{double(info.x), double(info.y), double(info.width), double(info.height)},
                                 info.primary != 0});
    }
    return result;
}

}  // namespace zerlith::x11
