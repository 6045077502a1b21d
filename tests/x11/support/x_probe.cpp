#include "x11/support/x_probe.hpp"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <thread>

namespace zerlith::x11::testing {
namespace {

template <typename T>
std::unique_ptr<T, decltype(&std::free)> owned(T* reply) {
    return {reply, &std::free};
}

}  // namespace

XProbe::XProbe(const std::string& display) : connection_(xcb_connect(display.c_str(), nullptr)) {
    if (xcb_connection_has_error(connection_) ||
        !xcb_ewmh_init_atoms_replies(&ewmh_, xcb_ewmh_init_atoms(connection_, &ewmh_), nullptr)) {
        throw std::runtime_error("cannot connect to X display " + display);
    }
    root_ = ewmh_.screens[0]->root;
}

XProbe::~XProbe() {
    xcb_ewmh_connection_wipe(&ewmh_);
    xcb_disconnect(connection_);
}

xcb_atom_t XProbe::atom(const std::string& name) {
    auto reply = owned(xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 0, name.size(), name.c_str()), nullptr));
    return reply ? reply->atom : XCB_NONE;
}

void XProbe::sync() { std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr)); }

std::optional<std::vector<std::uint32_t>> XProbe::cardinals(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
    auto reply = owned(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, property, type, 0, UINT32_MAX), nullptr));
    if (!reply || reply->type != type || reply->format != 32) return std::nullopt;
    auto* data = static_cast<std::uint32_t*>(xcb_get_property_value(reply.get()));
    return std::vector<std::uint32_t>(data, data + xcb_get_property_value_length(reply.get()) / 4);
}

std::optional<xcb_window_t> XProbe::activeWindow() {
    auto value = cardinals(root_, ewmh_._NET_ACTIVE_WINDOW, XCB_ATOM_WINDOW);
    if (!value || value->empty() || value->front() == XCB_NONE) return std::nullopt;
    return value->front();
}

std::optional<xcb_window_t> XProbe::focusedWindow() {
    auto* reply = xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr);
    const xcb_window_t focus = reply ? reply->focus : XCB_NONE;
    std::free(reply);
    // PointerRoot (1) and None (0) name no window.
    return focus > XCB_INPUT_FOCUS_POINTER_ROOT ? std::optional(focus) : std::nullopt;
}

std::optional<std::uint32_t> XProbe::currentDesktop() {
    auto value = cardinals(root_, ewmh_._NET_CURRENT_DESKTOP, XCB_ATOM_CARDINAL);
    if (!value || value->empty()) return std::nullopt;
    return value->front();
}

std::vector<xcb_window_t> XProbe::clientList() {
    return cardinals(root_, ewmh_._NET_CLIENT_LIST, XCB_ATOM_WINDOW).value_or(std::vector<xcb_window_t>{});
}

bool XProbe::hasState(xcb_window_t window, xcb_atom_t state) {
    auto states = cardinals(window, ewmh_._NET_WM_STATE, XCB_ATOM_ATOM).value_or(std::vector<std::uint32_t>{});
    return std::find(states.begin(), states.end(), state) != states.end();
}

std::optional<Rect> XProbe::frame(xcb_window_t window) {
    auto geometry = owned(xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr));
    auto origin = owned(xcb_translate_coordinates_reply(
        connection_, xcb_translate_coordinates(connection_, window, root_, 0, 0), nullptr));
    auto extents = cardinals(window, ewmh_._NET_FRAME_EXTENTS, XCB_ATOM_CARDINAL);
    if (!geometry || !origin || !extents || extents->size() != 4) return std::nullopt;
    auto& e = *extents;
    return Rect{double(origin->dst_x) - e[0], double(origin->dst_y) - e[2], double(geometry->width) + e[0] + e[1],
                double(geometry->height) + e[2] + e[3]};
}

bool XProbe::windowManagerRunning() {
    auto check = cardinals(root_, ewmh_._NET_SUPPORTING_WM_CHECK, XCB_ATOM_WINDOW);
    return check && !check->empty() && check->front() != XCB_NONE;
}

void XProbe::setProperty(xcb_window_t window, xcb_atom_t property, xcb_atom_t type, std::uint8_t format,
                         const void* data, std::uint32_t items) {
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, property, type, format, items, data);
    sync();
}

void XProbe::destroy(xcb_window_t window) {
    xcb_destroy_window(connection_, window);
    sync();
}

void XProbe::warpPointer(int x, int y) {
    xcb_warp_pointer(connection_, XCB_NONE, root_, 0, 0, 0, 0, static_cast<std::int16_t>(x), static_cast<std::int16_t>(y));
    sync();
}

void XProbe::requestDesktop(std::uint32_t desktop) {
    xcb_ewmh_request_change_current_desktop(&ewmh_, 0, desktop, XCB_CURRENT_TIME);
    sync();
}

}  // namespace zerlith::x11::testing
