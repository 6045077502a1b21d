#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <xcb/xcb.h>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace zerlith::x11 {

class XcbConnection;

/// The server's current keyboard layout through xkbcommon: which key code a named key has, what
/// a key writes, and which modifiers the lock keys set. Not thread-safe: its owner guards it.
class KeyboardLayout {
public:
    /// Sets up XKB on the connection and reads the layout; an empty layout (every lookup fails)
    /// when the server has no XKB.
    explicit KeyboardLayout(XcbConnection& connection);
    ~KeyboardLayout();
    KeyboardLayout(const KeyboardLayout&) = delete;
    KeyboardLayout& operator=(const KeyboardLayout&) = delete;

    /// Reads the layout again: after the server said the keyboard mapping changed.
    void reload();
    /// The first event code of the XKB extension, to recognise its notifications; none without it.
    std::optional<std::uint8_t> firstEvent() const { return firstEvent_; }

    /// The key code of the key with this XKB name ("SPCE"); none when the keyboard has none.
    std::optional<xcb_keycode_t> keyCode(std::string_view xkbName) const;
    /// What the key writes with no modifier, upper-cased ("Z", "Ä"); none when nothing printable.
    std::optional<std::string> upperCaseName(xcb_keycode_t key) const;
    /// What the key writes with the modifiers and group of a key event's `state`: printable text,
    /// or of the control characters only "\r", "\x1b" and "\b" (Return, Escape, BackSpace).
    std::string text(xcb_keycode_t key, std::uint16_t state) const;
    /// The real modifier masks that Num Lock and Scroll Lock set (0 when none).
    std::uint16_t numLockMask() const { return numLock_; }
    std::uint16_t scrollLockMask() const { return scrollLock_; }

private:
    std::uint16_t lockMask(std::string_view keysymName) const;

    XcbConnection& connection_;
    std::optional<std::uint8_t> firstEvent_;
    std::int32_t device_ = -1;
    xkb_context* context_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    xkb_state* state_ = nullptr;
    std::uint16_t numLock_ = 0;
    std::uint16_t scrollLock_ = 0;
};

}  // namespace zerlith::x11
