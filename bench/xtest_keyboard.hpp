#pragma once

#include <xcb/xcb.h>

namespace zerlith::bench {

/// Keys of Xvfb's default (evdev) keyboard.
inline constexpr xcb_keycode_t kAlt = 64, kSpace = 65, kReturn = 36, kEscape = 9, kQ = 24, kW = 25, kZ = 52;

/// Presses or releases a key through XTest, as the keyboard would; the caller flushes.
void key(xcb_connection_t* connection, xcb_keycode_t code, bool down);
/// Presses and releases a key; the caller flushes.
void tap(xcb_connection_t* connection, xcb_keycode_t code);
/// Types Zerlith's default palette hot key, Alt+Space, and flushes.
void pressHotKey(xcb_connection_t* connection);

}  // namespace zerlith::bench
