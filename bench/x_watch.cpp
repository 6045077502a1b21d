#include "x_watch.hpp"

#include <poll.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>

#include <xcb/damage.h>

namespace zerlith::bench {
namespace {

using Event = std::unique_ptr<xcb_generic_event_t, decltype(&std::free)>;

}  // namespace

XWatch::XWatch(const std::string& display) : connection_(xcb_connect(display.c_str(), nullptr)) {
    if (xcb_connection_has_error(connection_)) throw std::runtime_error("cannot connect to X display " + display);
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    const auto* damage = xcb_get_extension_data(connection_, &xcb_damage_id);
    if (damage == nullptr || !damage->present) throw std::runtime_error("the X server has no DAMAGE extension");
    damageNotify_ = damage->first_event + XCB_DAMAGE_NOTIFY;
    // The version must be agreed before the extension's first request.
    std::free(xcb_damage_query_version_reply(connection_, xcb_damage_query_version(connection_, 1, 1), nullptr));
}

XWatch::~XWatch() { xcb_disconnect(connection_); }

void XWatch::watchMaps(bool on) {
    const std::uint32_t mask = on ? XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY : XCB_EVENT_MASK_NO_EVENT;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection_);
}

std::optional<xcb_window_t> XWatch::nextOverrideRedirectMap(Clock::time_point deadline) {
    while (auto* raw = nextEvent(deadline)) {
        Event event(raw, &std::free);
        if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY) continue;
        const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(raw);
        if (map->override_redirect) return map->window;
    }
    return std::nullopt;
}

bool XWatch::keyboardTaken() {
    const auto cookie = xcb_grab_keyboard(connection_, 0, root_, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC,
                                          XCB_GRAB_MODE_ASYNC);
    xcb_ungrab_keyboard(connection_, XCB_CURRENT_TIME);  // a no-op unless the grab above succeeded
    auto* reply = xcb_grab_keyboard_reply(connection_, cookie, nullptr);
    const bool taken = reply != nullptr && reply->status == XCB_GRAB_STATUS_ALREADY_GRABBED;
    std::free(reply);
    return taken;
}

void XWatch::watchDamage(xcb_window_t window) {
    if (damage_ != XCB_NONE) xcb_damage_destroy(connection_, damage_);
    damage_ = xcb_generate_id(connection_);
    xcb_damage_create(connection_, damage_, window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
    xcb_flush(connection_);
}

bool XWatch::settle(Clock::duration quiet, Clock::time_point deadline) {
    while (Clock::now() < deadline) {
        if (!nextDamage(std::min(Clock::now() + quiet, deadline))) return Clock::now() < deadline;
    }
    return false;
}

std::optional<XWatch::Clock::time_point> XWatch::nextDamage(Clock::time_point deadline) {
    while (auto* raw = nextEvent(deadline)) {
        Event event(raw, &std::free);
        if ((event->response_type & 0x7f) == damageNotify_) return Clock::now();
    }
    return std::nullopt;
}

xcb_generic_event_t* XWatch::nextEvent(Clock::time_point deadline) {
    for (;;) {
        if (auto* event = xcb_poll_for_event(connection_)) return event;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0 || xcb_connection_has_error(connection_)) return nullptr;
        pollfd descriptor{xcb_get_file_descriptor(connection_), POLLIN, 0};
        ::poll(&descriptor, 1, static_cast<int>(left));
    }
}

}  // namespace zerlith::bench
