#include "ui/x11_window_host.hpp"

#include <array>
#include <cstring>
#include <string_view>

#include <QGuiApplication>
#include <xcb/xcb.h>

namespace zerlith::ui {
namespace {

constexpr std::uint32_t kSourcePager = 2;

xcb_connection_t* connection() {
    auto* native = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return native ? native->connection() : nullptr;
}

/// Interns every name before waiting for the first answer.
template <std::size_t N>
std::array<xcb_atom_t, N> atoms(xcb_connection_t* connection, const std::string_view (&names)[N]) {
    std::array<xcb_intern_atom_cookie_t, N> cookies{};
    for (std::size_t i = 0; i < N; ++i)
        cookies[i] = xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(names[i].size()), names[i].data());
    std::array<xcb_atom_t, N> found{};
    for (std::size_t i = 0; i < N; ++i) {
        auto* reply = xcb_intern_atom_reply(connection, cookies[i], nullptr);
        found[i] = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
    }
    return found;
}

xcb_window_t rootOf(xcb_connection_t* connection) {
    return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

void sendToRoot(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t type,
                const std::array<std::uint32_t, 5>& data) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = type;
    std::memcpy(message.data.data32, data.data(), sizeof(message.data.data32));
    xcb_send_event(connection, 0, rootOf(connection),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
}

}  // namespace

X11WindowHost::X11WindowHost() {
    auto* c = connection();
    if (!c) return;
    // The palette lives on the default X screen, the only one of today's multi-monitor setups.
    // In the order of `Atom`.
    atoms_ = atoms(c, {"_NET_WM_CM_S0", "_NET_ACTIVE_WINDOW"});
}

bool X11WindowHost::displayReachable() {
    xcb_connection_t* probe = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(probe) == 0;
    xcb_disconnect(probe);
    return reachable;
}

bool X11WindowHost::translucent() {
    auto* c = connection();
    if (!c) return false;
    auto* reply = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atoms_[compositingManager]), nullptr);
    const bool owned = reply && reply->owner != XCB_NONE;
    std::free(reply);
    return owned;
}

Qt::WindowFlags X11WindowHost::popupFlags() { return Qt::BypassWindowManagerHint; }

std::optional<bool> X11WindowHost::hasInputFocus(QWindow& window) {
    auto* c = connection();
    if (!c) return std::nullopt;
    auto* reply = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
    const bool focused = reply && reply->focus == static_cast<xcb_window_t>(window.winId());
    std::free(reply);
    return focused;
}

bool X11WindowHost::isFocusIn(const QByteArray& eventType, const void* message, const QWindow& window) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto& event = *static_cast<const xcb_generic_event_t*>(message);
    if ((event.response_type & 0x7F) != XCB_FOCUS_IN) return false;
    const auto& focus = reinterpret_cast<const xcb_focus_in_event_t&>(event);
    // With the pointer as detail the focus is on the root window, not on this one.
    return focus.event == static_cast<xcb_window_t>(window.winId()) && focus.detail != XCB_NOTIFY_DETAIL_POINTER;
}

void X11WindowHost::requestActivation(QWindow& window, std::uint32_t userTime) {
    auto* c = connection();
    if (!c) return window.requestActivate();
    const auto id = static_cast<xcb_window_t>(window.winId());
    if (window.flags().testFlag(Qt::BypassWindowManagerHint)) {
        // No window manager stands between: the map went out before on this connection, so the
        // window is viewable when the server reads this. At the press's time, a focus the user
        // moved after the press (a click) stays where it is.
        xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, id, userTime);
    } else {
        window.requestActivate();
        sendToRoot(c, id, atoms_[activeWindowProperty], {kSourcePager, userTime, 0, 0, 0});
    }
    xcb_flush(c);
}

}  // namespace zerlith::ui
