#include "xtest_keyboard.hpp"

#include <xcb/xtest.h>

namespace zerlith::bench {

void key(xcb_connection_t* connection, xcb_keycode_t code, bool down) {
    xcb_test_fake_input(connection, down ? XCB_KEY_PRESS : XCB_KEY_RELEASE, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
}

void tap(xcb_connection_t* connection, xcb_keycode_t code) {
    key(connection, code, true);
    key(connection, code, false);
}

void pressHotKey(xcb_connection_t* connection) {
    key(connection, kAlt, true);
    tap(connection, kSpace);
    key(connection, kAlt, false);
    xcb_flush(connection);
}

}  // namespace zerlith::bench
