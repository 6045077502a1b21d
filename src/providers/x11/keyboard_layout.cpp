#include "providers/x11/keyboard_layout.hpp"

#include <string>
#include <string_view>

#include "providers/x11/xcb_xkb.hpp"
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include "providers/x11/xcb_connection.hpp"

namespace zerlith::x11 {
namespace {

/// How long reading the modifier mapping may wait for the server.
constexpr double kReplyTimeout = 1.0;

/// The parts of the keyboard description xkbcommon reads; a change to any of them means reload.
constexpr std::uint16_t kMapParts = XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS |
                                    XCB_XKB_MAP_PART_MODIFIER_MAP | XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS |
                                    XCB_XKB_MAP_PART_KEY_ACTIONS | XCB_XKB_MAP_PART_VIRTUAL_MODS |
                                    XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;

struct StateDeleter {
    void operator()(xkb_state* state) const { xkb_state_unref(state); }
};

}  // namespace

KeyboardLayout::KeyboardLayout(XcbConnection& connection) : connection_(connection) {
    std::uint8_t firstEvent = 0;
    if (!xkb_x11_setup_xkb_extension(connection_.raw(), XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, &firstEvent, nullptr))
        return;
    firstEvent_ = firstEvent;
    device_ = xkb_x11_get_core_keyboard_device_id(connection_.raw());
    context_ = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    constexpr std::uint16_t kEvents = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
    xcb_xkb_select_events_details_t details{};
    details.affectNewKeyboard = details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
    xcb_xkb_select_events_aux(connection_.raw(), static_cast<xcb_xkb_device_spec_t>(device_), kEvents, 0, 0,
                              kMapParts, kMapParts, &details);
    // A held key then repeats as presses without releases, so a repeat can be told from a new press.
    constexpr std::uint32_t kRepeat = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    connection_.discardReply(xcb_xkb_per_client_flags(connection_.raw(), static_cast<xcb_xkb_device_spec_t>(device_),
                                                      kRepeat, kRepeat, 0, 0, 0)
                                 .sequence);
    connection_.flush();
    reload();
}

KeyboardLayout::~KeyboardLayout() {
    xkb_state_unref(state_);
    xkb_keymap_unref(keymap_);
    xkb_context_unref(context_);
}

void KeyboardLayout::reload() {
    if (context_ == nullptr) return;
    xkb_keymap* keymap = xkb_x11_keymap_new_from_device(context_, connection_.raw(), device_, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap == nullptr) return;  // keeps the layout it had
    xkb_state_unref(state_);
    xkb_keymap_unref(keymap_);
    keymap_ = keymap;
    state_ = xkb_state_new(keymap_);
    numLock_ = lockMask("Num_Lock");
    scrollLock_ = lockMask("Scroll_Lock");
}

std::optional<xcb_keycode_t> KeyboardLayout::keyCode(std::string_view xkbName) const {
    if (keymap_ == nullptr) return std::nullopt;
    const xkb_keycode_t code = xkb_keymap_key_by_name(keymap_, std::string(xkbName).c_str());
    if (code == XKB_KEYCODE_INVALID || code > 255) return std::nullopt;
    return static_cast<xcb_keycode_t>(code);
}

std::optional<std::string> KeyboardLayout::upperCaseName(xcb_keycode_t key) const {
    if (state_ == nullptr) return std::nullopt;
    const xkb_keysym_t upper = xkb_keysym_to_upper(xkb_state_key_get_one_sym(state_, key));
    char text[16];
    const int size = xkb_keysym_to_utf8(upper, text, sizeof text);
    // Control characters (Return, Escape, Delete) are not names.
    if (size <= 1 || static_cast<unsigned char>(text[0]) < 0x20 || text[0] == 0x7f) return std::nullopt;
    return std::string(text, static_cast<std::size_t>(size - 1));
}

std::string KeyboardLayout::text(xcb_keycode_t key, std::uint16_t state) const {
    if (keymap_ == nullptr) return {};
    std::unique_ptr<xkb_state, StateDeleter> pressed(xkb_state_new(keymap_));
    // Bits 0–7 are the modifiers, bits 13–14 the layout group.
    xkb_state_update_mask(pressed.get(), state & 0xff, 0, 0, 0, 0, (state >> 13) & 3);
    char text[64];
    const int size = xkb_state_key_get_utf8(pressed.get(), key, text, sizeof text);
    if (size <= 0 || static_cast<std::size_t>(size) >= sizeof text) return {};
    const bool control = static_cast<unsigned char>(text[0]) < 0x20 || text[0] == 0x7f;
    if (control && (size != 1 || std::string_view("\r\x1b\b").find(text[0]) == std::string_view::npos)) return {};
    return std::string(text, static_cast<std::size_t>(size));
}

std::uint16_t KeyboardLayout::lockMask(std::string_view keysymName) const {
    const xkb_keysym_t wanted = xkb_keysym_from_name(std::string(keysymName).c_str(), XKB_KEYSYM_NO_FLAGS);
    auto cookie = xcb_get_modifier_mapping(connection_.raw());
    XcbReply<xcb_get_modifier_mapping_reply_t> mapping{static_cast<xcb_get_modifier_mapping_reply_t*>(
        connection_.waitForReply(cookie.sequence, Deadline::after(kReplyTimeout)))};
    if (!mapping) return 0;
    const xcb_keycode_t* keys = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perModifier = mapping->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t key = keys[modifier * perModifier + i];
            if (key != 0 && xkb_state_key_get_one_sym(state_, key) == wanted)
                return static_cast<std::uint16_t>(1u << modifier);
        }
    }
    return 0;
}

}  // namespace zerlith::x11
