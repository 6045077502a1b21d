#include "platform/x11/x11_hot_keys.hpp"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "platform/x11/xcb_xkb.hpp"

#include "platform/x11/key_positions.hpp"

namespace zerlith::x11 {
namespace {

/// How long a grab and the round trip of a release may wait for the server.
constexpr double kReplyTimeout = 1.0;
/// The longest gap between a press and the held key's next repeat (X's usual repeat delay is
/// 660 ms), in server milliseconds.
constexpr xcb_timestamp_t kLongestRepeatGap = 1000;

/// The modifiers a shortcut may hold, the Carbon bit and its X11 modifier (by position: option is
/// Alt on Mod1, command is Super on Mod4).
constexpr std::pair<std::uint32_t, std::uint16_t> kModifiers[] = {
    {0x100, XCB_MOD_MASK_4}, {0x200, XCB_MOD_MASK_SHIFT}, {0x800, XCB_MOD_MASK_1}, {0x1000, XCB_MOD_MASK_CONTROL}};

std::uint16_t x11Modifiers(std::uint32_t carbonModifiers) {
    std::uint16_t mask = 0;
    for (const auto& [carbon, x11] : kModifiers)
        if (carbonModifiers & carbon) mask |= x11;
    return mask;
}

bool isDown(const xcb_query_keymap_reply_t& keymap, xcb_keycode_t key) {
    return (keymap.keys[key / 8] >> (key % 8)) & 1;
}

}  // namespace

X11HotKeys::X11HotKeys(XcbConnection& connection) : connection_(connection), layout_(connection) {}

void X11HotKeys::setPressHandler(PressHandler handler) {
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

bool X11HotKeys::registerKey(std::uint32_t id, std::uint32_t keyCode, std::uint32_t carbonModifiers) {
    std::lock_guard lock(mutex_);
    if (const auto found = registrations_.find(id); found != registrations_.end()) {
        ungrab(found->second);
        registrations_.erase(found);
    }
    Registration registration{keyCode, carbonModifiers};
    if (!grab(registration)) return false;
    registrations_.emplace(id, registration);
    return true;
}

void X11HotKeys::unregisterKey(std::uint32_t id) {
    std::lock_guard lock(mutex_);
    if (const auto found = registrations_.find(id); found != registrations_.end()) {
        ungrab(found->second);
        registrations_.erase(found);
    }
}

std::optional<std::string> X11HotKeys::layoutKeyName(std::uint32_t keyCode) {
    const auto name = xkbKeyName(keyCode);
    if (!name) return std::nullopt;
    std::lock_guard lock(mutex_);
    const auto key = layout_.keyCode(*name);
    return key ? layout_.upperCaseName(*key) : std::nullopt;
}

std::optional<std::uint32_t> X11HotKeys::storedKeyCode(std::uint32_t nativeKey) {
    std::lock_guard lock(mutex_);
    return macKeyCode([&](std::string_view name) { return layout_.keyCode(name) == nativeKey; });
}

std::vector<std::uint16_t> X11HotKeys::lockCombinations() const {
    const std::uint16_t locks[] = {XCB_MOD_MASK_LOCK, layout_.numLockMask(), layout_.scrollLockMask()};
    std::vector<std::uint16_t> combinations{0};
    for (const std::uint16_t lockMask : locks) {
        if (lockMask == 0) continue;
        const auto before = combinations;
        for (const std::uint16_t combination : before) combinations.push_back(combination | lockMask);
    }
    std::sort(combinations.begin(), combinations.end());
    combinations.erase(std::unique(combinations.begin(), combinations.end()), combinations.end());
    return combinations;
}

bool X11HotKeys::grab(Registration& registration) {
    const auto name = xkbKeyName(registration.keyCode);
    const auto key = name ? layout_.keyCode(*name) : std::nullopt;
    if (!key) return false;
    registration.key = *key;
    registration.modifiers = x11Modifiers(registration.carbonModifiers);
    std::vector<xcb_void_cookie_t> cookies;
    for (const std::uint16_t locks : lockCombinations()) {
        // The keyboard freezes at the press until handleEvent() takes it over (see the class).
        cookies.push_back(xcb_grab_key_checked(connection_.raw(), 1, connection_.root(),
                                               registration.modifiers | locks, registration.key,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_SYNC));
    }
    bool taken = false;
    for (const auto cookie : cookies) {
        XcbReply<xcb_generic_error_t> error{xcb_request_check(connection_.raw(), cookie)};
        if (error) taken = true;  // BadAccess: another client holds it; any other error: unusable too
    }
    if (!taken && !connection_.broken()) return true;
    ungrab(registration);
    registration.key = 0;
    return false;
}

void X11HotKeys::ungrab(const Registration& registration) {
    if (registration.key == 0) return;
    for (const std::uint16_t locks : lockCombinations())
        xcb_ungrab_key(connection_.raw(), registration.key, connection_.root(), registration.modifiers | locks);
    connection_.flush();
}

std::string X11HotKeys::releaseTyping() {
    {
        std::lock_guard lock(mutex_);
        if (!capturing_) return {};
        xcb_ungrab_keyboard(connection_.raw(), XCB_CURRENT_TIME);
    }
    // Keys the server sent before it saw the release are ahead of this reply: read them too.
    auto cookie = xcb_query_keymap(connection_.raw());
    connection_.flush();
    XcbReply<xcb_query_keymap_reply_t> keymap{static_cast<xcb_query_keymap_reply_t*>(
        connection_.waitForReply(cookie.sequence, Deadline::after(kReplyTimeout)))};
    if (readEvents_) readEvents_();
    std::lock_guard lock(mutex_);
    // A hot key let go by now has its release behind us, or on its way to another window: either
    // way it is no longer held, and its next press must toggle.
    if (keymap) std::erase_if(held_, [&](const auto& entry) { return !isDown(*keymap, entry.first); });
    capturing_ = false;
    return std::exchange(typed_, {});
}

bool X11HotKeys::handleEvent(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7F;
    switch (type) {
    case XCB_KEY_PRESS:
        pressed(reinterpret_cast<const xcb_key_press_event_t&>(event));
        return true;
    case XCB_KEY_RELEASE: {
        std::lock_guard lock(mutex_);
        held_.erase(reinterpret_cast<const xcb_key_release_event_t&>(event).detail);
        return true;
    }
    case XCB_MAPPING_NOTIFY:
        if (reinterpret_cast<const xcb_mapping_notify_event_t&>(event).request != XCB_MAPPING_POINTER) keyboardChanged();
        return true;
    default:
        break;
    }
    const auto xkb = layout_.firstEvent();
    if (!xkb || type != *xkb) return false;
    // XKB's notifications share one event code and tell their kind in the second byte.
    const std::uint8_t kind = reinterpret_cast<const std::uint8_t*>(&event)[1];
    if (kind == XCB_XKB_NEW_KEYBOARD_NOTIFY || kind == XCB_XKB_MAP_NOTIFY) keyboardChanged();
    return true;
}

void X11HotKeys::keyboardChanged() {
    std::lock_guard lock(mutex_);
    for (auto& [id, registration] : registrations_) ungrab(registration);
    layout_.reload();
    // A key the new layout lacks, or that another client took meanwhile, stays without a grab.
    for (auto& [id, registration] : registrations_) grab(registration);
}

void X11HotKeys::pressed(const xcb_key_press_event_t& press) {
    PressHandler handler;
    std::uint32_t id = 0;
    {
        std::lock_guard lock(mutex_);
        const std::uint16_t locks = XCB_MOD_MASK_LOCK | layout_.numLockMask() | layout_.scrollLockMask();
        const std::uint16_t modifiers = press.state & 0xff & ~locks;
        const auto found = std::find_if(registrations_.begin(), registrations_.end(), [&](const auto& entry) {
            return entry.second.key == press.detail && entry.second.modifiers == modifiers;
        });
        if (found == registrations_.end()) {
            if (capturing_) typed_ += layout_.text(press.detail, press.state);
            return;
        }
        const auto [previous, fresh] = held_.try_emplace(press.detail, press.time);
        const bool repeat = !fresh && press.time - previous->second < kLongestRepeatGap;
        previous->second = press.time;
        if (repeat) {
            // A repeat of the held hot key: it may have frozen the keyboard again, so thaw it.
            xcb_allow_events(connection_.raw(), XCB_ALLOW_ASYNC_KEYBOARD, press.time);
            connection_.flush();
            return;
        }
        // Take the keyboard while the press's grab still holds it, then let it go on.
        connection_.discardReply(xcb_grab_keyboard(connection_.raw(), 0, connection_.root(), press.time,
                                                   XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)
                                     .sequence);
        xcb_allow_events(connection_.raw(), XCB_ALLOW_ASYNC_KEYBOARD, press.time);
        connection_.flush();
        capturing_ = true;
        typed_.clear();
        handler = handler_;
        id = found->first;
    }
    if (handler) handler(id, press.time);
}

}  // namespace zerlith::x11
