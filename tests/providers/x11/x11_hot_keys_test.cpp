// Global keys on a real X server: grabs that survive the lock keys, a key another client holds,
// auto-repeat, the keyboard layout, and keys typed right after the hot key.

#include <gtest/gtest.h>

#include <poll.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "x11/support/desktop_fixture.hpp"

namespace zerlith::x11::testing {
namespace {

constexpr std::uint32_t kOption = 0x800;
constexpr std::uint32_t kPalette = 1;
constexpr std::uint32_t kInstant = 2;
/// Space and Return on Xvfb's default (evdev) keyboard.
constexpr xcb_keycode_t kSpaceKeycode = 65;
constexpr xcb_keycode_t kReturnKeycode = 36;

class X11HotKeysTest : public X11DesktopTest {
protected:
    X11HotKeysTest() : X11DesktopTest({.windowManager = false, .twoMonitors = false}) {}

    platform::HotKeys& keys() {
        auto& hotKeys = *desktop().hotKeys();
        if (!handlerSet_) {
            hotKeys.setPressHandler([this](std::uint32_t id, std::uint32_t, platform::KeyboardCapture typing) {
                presses.push_back(id);
                captures.push_back(std::move(typing));
            });
            handlerSet_ = true;
        }
        return hotKeys;
    }

    /// Runs an X client tool to its end, as the user's hands.
    static void run(const std::vector<std::string>& argv) {
        ChildProcess tool(argv, ChildProcess::Options{});
        ASSERT_EQ(tool.wait(10.0), 0) << argv.front();
    }

    /// Reads the connection's events until `done` holds, for at most a few seconds.
    bool pumpUntil(const std::function<bool()>& done) {
        for (int attempt = 0; attempt < 300; ++attempt) {
            desktop().desktopEvents()->takeChanges();
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    /// Like pumpUntil(), but reads the events only when the connection's socket has some, as the
    /// application's event loop does.
    bool pumpOnReadableSocketUntil(const std::function<bool()>& done) {
        pollfd socket{desktop().desktopEvents()->fileDescriptor(), POLLIN, 0};
        for (int attempt = 0; attempt < 300; ++attempt) {
            if (::poll(&socket, 1, 10) > 0) desktop().desktopEvents()->takeChanges();
            if (done()) return true;
        }
        return false;
    }
    /// The presses seen once the events of the last moments are read.
    std::vector<std::uint32_t> settledPresses() {
        probe().sync();
        for (int round = 0; round < 20; ++round) {
            desktop().desktopEvents()->takeChanges();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return presses;
    }

    /// Whether a client other than the desktop's can take the keyboard now.
    bool anotherClientCanGrabTheKeyboard() {
        auto cookie = xcb_grab_keyboard(probe().raw(), 0, probe().root(), XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC,
                                        XCB_GRAB_MODE_ASYNC);
        auto* reply = xcb_grab_keyboard_reply(probe().raw(), cookie, nullptr);
        const bool grabbed = reply != nullptr && reply->status == XCB_GRAB_STATUS_SUCCESS;
        std::free(reply);
        xcb_ungrab_keyboard(probe().raw(), XCB_CURRENT_TIME);
        probe().sync();
        return grabbed;
    }

    /// Whether the server takes `key` to be down now: a key whose release waits in the server is.
    bool keyDown(xcb_keycode_t key) {
        auto* reply = xcb_query_keymap_reply(probe().raw(), xcb_query_keymap(probe().raw()), nullptr);
        const bool down = reply != nullptr && (reply->keys[key / 8] & (1 << (key % 8))) != 0;
        std::free(reply);
        return down;
    }

    std::vector<std::uint32_t> presses;
    std::vector<platform::KeyboardCapture> captures;

private:
    bool handlerSet_ = false;
};

TEST_F(X11HotKeysTest, AKeyAnotherClientHoldsIsRefusedAndTheOtherStillWorks) {
    XProbe blocker(session().display());
    xcb_grab_key(blocker.raw(), 1, blocker.root(), XCB_MOD_MASK_1, kSpaceKeycode, XCB_GRAB_MODE_ASYNC,
                 XCB_GRAB_MODE_ASYNC);
    blocker.sync();

    EXPECT_FALSE(keys().registerKey(kPalette, 49, kOption));
    ASSERT_TRUE(keys().registerKey(kInstant, 48, kOption));
    run({"xdotool", "key", "alt+Tab"});
    ASSERT_TRUE(pumpUntil([&] { return !presses.empty(); }));
    EXPECT_EQ(presses, (std::vector<std::uint32_t>{kInstant}));
    EXPECT_EQ(captures.back().takeTyped(), "");
    EXPECT_FALSE(anotherClientCanGrabTheKeyboard()) << "held until the capture lets go";
    captures.clear();
    EXPECT_TRUE(pumpUntil([&] { return anotherClientCanGrabTheKeyboard(); }));
}

TEST_F(X11HotKeysTest, LockKeysKeepTheHotKeyAndAHeldKeyTogglesOnce) {
    ASSERT_TRUE(keys().registerKey(kPalette, 49, kOption));
    for (const char* lock : {"Num_Lock", "Caps_Lock", "Num_Lock", "Caps_Lock"}) {
        presses.clear();
        run({"xdotool", "key", lock});
        run({"xdotool", "key", "alt+space"});
        ASSERT_TRUE(pumpUntil([&] { return !presses.empty(); })) << "after " << lock;
        captures.clear();
    }
    presses.clear();
    // The second and third presses of the held key are its repeats.
    run({"xdotool", "keydown", "alt", "keydown", "space", "keydown", "space", "keydown", "space", "keyup", "space",
         "keyup", "alt"});
    ASSERT_TRUE(pumpUntil([&] { return !presses.empty(); }));
    captures.clear();
    EXPECT_EQ(settledPresses(), (std::vector<std::uint32_t>{kPalette}));
}

TEST_F(X11HotKeysTest, APressRightAfterTheKeyboardWasLetGoWhileTheKeyWasDownToggles) {
    ASSERT_TRUE(keys().registerKey(kPalette, 49, kOption));
    run({"xdotool", "keydown", "alt", "keydown", "space"});
    ASSERT_TRUE(pumpUntil([&] { return !presses.empty(); }));
    captures.clear();  // the palette took the keys before the hot key was up
    run({"xdotool", "keyup", "space", "keyup", "alt"});
    EXPECT_TRUE(pumpUntil([&] { return anotherClientCanGrabTheKeyboard(); })) << "let go at the key's release";
    run({"xdotool", "key", "alt+space"});
    EXPECT_TRUE(pumpUntil([&] { return presses.size() == 2; })) << "the next press is no repeat";
}

TEST_F(X11HotKeysTest, AReleaseReadWhileHandingOverLetsTheKeyboardGo) {
    ASSERT_TRUE(keys().registerKey(kInstant, 48, kOption));
    run({"xdotool", "keydown", "alt", "keydown", "Tab"});
    ASSERT_TRUE(pumpUntil([&] { return !presses.empty(); }));
    run({"xdotool", "keyup", "Tab", "keyup", "alt"});
    // The instant switch hands the keyboard over before the release was read, and asking which
    // window is active reads it off the socket.
    captures.back().handOver();
    clock().advance(0.5);
    dispatch().runUntilIdle();
    EXPECT_TRUE(pumpOnReadableSocketUntil([&] { return anotherClientCanGrabTheKeyboard(); }));
}

TEST_F(X11HotKeysTest, APressReadWithTheAnswerToAnotherRequestIsHandledAtOnce) {
    ASSERT_TRUE(keys().registerKey(kPalette, 49, kOption));
    run({"xdotool", "key", "alt+space"});
    probe().sync();
    // A row's icon asks the server while the press waits on the socket: it comes in with the
    // answer, and the socket's watch never hears of it. The keyboard stays stopped at the press
    // until it is handled.
    desktop().windows().icon(probe().root(), 32);
    EXPECT_TRUE(pumpOnReadableSocketUntil([&] { return !presses.empty(); }));
}

TEST_F(X11HotKeysTest, KeysTypedRightAfterTheHotKeyAreKeptInOrderUpToReturn) {
    ASSERT_TRUE(keys().registerKey(kPalette, 49, kOption));
    run({"xdotool", "key", "alt+space", "type", "beta"});
    ASSERT_TRUE(pumpUntil([&] { return !presses.empty(); }));
    EXPECT_EQ(captures.back().takeTyped(), "beta");
    // Keys typed after a take wait in the server for the next one, in order.
    run({"xdotool", "type", "ga"});
    EXPECT_EQ(captures.back().takeTyped(), "ga");
    captures.back().release();
    EXPECT_EQ(captures.back().takeTyped(), "") << "the keyboard was let go";

    // What follows Return waits in the server for the window switched to, until it is active or a
    // moment has passed.
    run({"xdotool", "key", "alt+space", "b", "e", "Return", "y", "z"});
    ASSERT_TRUE(pumpUntil([&] { return presses.size() == 2; }));
    settledPresses();  // the Return is read before the keys are taken, as in a busy application
    clock().advance(0.5);  // and taken late: what follows the Return waits for the window it picks
    dispatch().runUntilIdle();
    EXPECT_EQ(captures.back().takeTyped(), "be\r");
    // Held back in the server, the Return's release would come after a repeat of the Return, a
    // press for the next window, should the application be slow to let the keys go on.
    EXPECT_FALSE(keyDown(kReturnKeycode)) << "the keyboard stops at the Return's release";
    settledPresses();
    EXPECT_EQ(captures.back().takeTyped(), "yz") << "kept for a palette that stays open after the Return";
    captures.back().handOver();
    EXPECT_FALSE(anotherClientCanGrabTheKeyboard());
    clock().advance(0.5);
    dispatch().runUntilIdle();
    EXPECT_TRUE(pumpUntil([&] { return anotherClientCanGrabTheKeyboard(); }));

    // Handed over after a late take too, the keyboard goes on a moment later.
    run({"xdotool", "key", "alt+space", "x", "Escape"});
    ASSERT_TRUE(pumpUntil([&] { return presses.size() == 3; }));
    settledPresses();
    clock().advance(0.5);
    dispatch().runUntilIdle();
    EXPECT_EQ(captures.back().takeTyped(), "x\x1b");
    captures.back().handOver();
    clock().advance(0.5);
    dispatch().runUntilIdle();
    EXPECT_TRUE(pumpUntil([&] { return anotherClientCanGrabTheKeyboard(); }));
}

TEST_F(X11HotKeysTest, KeyNamesFollowTheLayout) {
    EXPECT_EQ(keys().layoutKeyName(6), "Z");
    EXPECT_EQ(keys().layoutKeyName(0), "A");
    EXPECT_EQ(keys().layoutKeyName(122), std::nullopt) << "F1 writes nothing";
    EXPECT_EQ(keys().layoutKeyName(70000), std::nullopt);
    run({"setxkbmap", "-display", session().display(), "de"});
    EXPECT_TRUE(pumpUntil([&] { return keys().layoutKeyName(6) == "Y"; }));
    EXPECT_EQ(keys().layoutKeyName(41), "Ö");

    // The grabs follow the new layout: Alt with the key at Z's place still reaches the palette.
    ASSERT_TRUE(keys().registerKey(kPalette, 6, kOption));
    run({"xdotool", "key", "alt+y"});
    EXPECT_TRUE(pumpUntil([&] { return !presses.empty(); }));
}

}  // namespace
}  // namespace zerlith::x11::testing
