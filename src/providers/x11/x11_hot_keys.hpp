#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include <xcb/xcb.h>

#include "platform/dispatch.hpp"
#include "platform/hot_keys.hpp"
#include "providers/x11/keyboard_layout.hpp"
#include "providers/x11/xcb_connection.hpp"

namespace zerlith::x11 {

/// Global keys as passive grabs on the root window, one per combination of the lock modifiers
/// (Caps, Num and Scroll Lock), so a user with Num Lock on keeps the key. A key another client
/// grabbed first is refused. The grabs follow changes of the keyboard layout.
///
/// A press also takes the whole keyboard, handed to the press handler as a KeyboardCapture: the
/// grab freezes the keyboard at the press, so what the user types right after the hot key comes
/// here in order instead of reaching the window being left, however late the application's
/// window appears. The server hands the keys over one at a time, so the keyboard can stop between
/// any two: after a Return or Escape, or when the capture is handed over, what follows waits in
/// the server until the window switched to is active. The keyboard is let go when the capture is,
/// but never while a hot key is still down: its release then comes here too, so a press with no
/// release before it is always a repeat (the server reports repeats without releases), however
/// fast a person toggles.
///
/// The key events arrive on the backend's connection, which DesktopCache reads: it hands them to
/// handleEvent(), and changes of the active window to activeWindowChanged(). Any thread; one lock
/// guards the registrations and the capture.
class X11HotKeys final : public platform::HotKeys, private platform::KeyboardCapture::Keeper {
public:
    /// Waits for a reply on the shared connection and applies the events read with it, so that
    /// keys typed just before are kept (DesktopCache::waitForReply).
    using ReplyWaiter = std::function<void*(unsigned sequence, const Deadline& deadline)>;

    /// `dispatch` bounds how long a hand-over may wait for the next window's activation.
    X11HotKeys(XcbConnection& connection, platform::Dispatch& dispatch, ReplyWaiter waitForReply);
    ~X11HotKeys();

    void setPressHandler(PressHandler handler) override;
    bool registerKey(std::uint32_t id, std::uint32_t keyCode, std::uint32_t carbonModifiers) override;
    void unregisterKey(std::uint32_t id) override;
    std::optional<std::string> layoutKeyName(std::uint32_t keyCode) override;
    platform::KeyNotation notation() const override { return platform::KeyNotation::words; }
    std::optional<std::uint32_t> storedKeyCode(std::uint32_t nativeKey) override;
    platform::KeyboardCapture holdKeyboard() override;

    /// Takes a key event or a keyboard notification read from the connection; false for any other
    /// event. Called by the reader of the connection's events; never waits for keys.
    bool handleEvent(const xcb_generic_event_t& event);
    /// The desktop asked the window manager to activate `window`: keys handed over wait for it.
    void activationRequested(xcb_window_t window);
    /// The active window changed: a keyboard handed over to the window now active is let go
    /// (checked from the main queue). Never waits.
    void activeWindowChanged();

private:
    struct Registration {
        std::uint32_t keyCode;         // the stored form
        std::uint32_t carbonModifiers;
        xcb_keycode_t key = 0;         // the grabbed key, 0 when none is grabbed
        std::uint16_t modifiers = 0;
    };

    /// Grabs the registration's key with every lock combination; false and nothing grabbed when
    /// any grab is refused. Under the lock.
    bool grab(Registration& registration);
    void ungrab(const Registration& registration);
    /// The lock modifier combinations, none included.
    std::vector<std::uint16_t> lockCombinations() const;
    void keyboardChanged();
    void pressed(const xcb_key_press_event_t& press);
    void released(const xcb_key_release_event_t& release);
    /// Under the lock: a key other than a hot key, typed while the keyboard is held.
    void typedKey(const xcb_key_press_event_t& press);
    /// Under the lock: counts a key event handled while held, and asks for the next one unless
    /// the keyboard is to stop.
    void keySeen();

    // KeyboardCapture::Keeper
    std::string takeTyped(std::uint64_t capture) override;
    void release(std::uint64_t capture, bool handOver) override;

    /// How the keyboard is held.
    enum class Hold {
        none,       ///< not held: the passive grabs wait for a press
        capturing,  ///< grabbed; keys typed come here one at a time and are kept as text
        keeping,    ///< grabbed and stopped: what is typed waits in the server for the next window
    };
    /// Under the lock: a new capture, replacing any earlier one.
    void startCapture();
    /// Under the lock: stops the keyboard, so that what is typed next waits in the server; for a
    /// moment at most. While a key is down, at its release.
    void stop();
    /// Under the lock: stops the keyboard now.
    void halt();
    /// The keyboard stayed stopped too long: it goes on to the window with the focus, unless keys
    /// up to a Return or Escape wait for the owner to take them.
    void stopTimedOut(std::uint64_t capture);
    /// Lets a handed-over keyboard go when the awaited window (when none was asked for, any
    /// other than the one active at the hand-over) is the active one now. Main thread.
    void checkHandOver(std::uint64_t capture);
    /// _NET_ACTIVE_WINDOW, read with a round trip. Without the lock.
    std::optional<xcb_window_t> activeWindow();
    /// Waits for the server to answer, then reads the events it sent before; false when it did
    /// not answer in time. Without the lock.
    bool roundTrip();
    /// Waits a moment for the reply to the request `sequence`, then applies the events the server
    /// sent before it; none when it did not answer in time. Without the lock.
    void* waitForReply(unsigned sequence);
    /// Runs `step` for `capture` from the main queue after `delaySeconds`, unless this is gone.
    void postStep(double delaySeconds, void (X11HotKeys::*step)(std::uint64_t), std::uint64_t capture);
    /// Under the lock: the server may send the next key event.
    void nextKey();
    /// Under the lock: ungrabs; keys waiting in the server go to the window with the focus.
    void letGo();
    /// Under the lock: lets go now, or, while a hot key is down, once its release came here.
    void letGoOnceKeysAreUp();

    XcbConnection& connection_;
    platform::Dispatch& dispatch_;
    ReplyWaiter waitForReply_;
    std::mutex mutex_;
    KeyboardLayout layout_;
    PressHandler handler_;
    std::map<std::uint32_t, Registration> registrations_;
    /// Hot keys pressed whose release has not come yet: a press of one of them is its repeat.
    std::set<xcb_keycode_t> held_;
    Hold hold_ = Hold::none;
    /// The keyboard is stopped: no key event is on its way here.
    bool stopped_ = false;
    /// Keys whose press came here while held and whose release has not come yet.
    std::set<xcb_keycode_t> down_;
    /// A stop was asked while a key was down: the keyboard stops once none is.
    bool stopAsked_ = false;
    /// The number of the newest capture; a token of an older one lets go of nothing.
    std::uint64_t capture_ = 0;
    /// The owner let go while a hot key was down: the keyboard goes at that key's release.
    bool releaseAsked_ = false;
    /// The window whose activation was asked for since the capture began, if any.
    xcb_window_t awaitedWindow_ = XCB_NONE;
    /// The window active when the keyboard was handed over.
    xcb_window_t leavingWindow_ = XCB_NONE;
    /// Key events handled while held, so that taking the typed keys knows when none are left.
    std::uint64_t keysSeen_ = 0;
    std::string typed_;
    /// Tokens reach the keys through this; it expires with the object.
    std::shared_ptr<platform::KeyboardCapture::Keeper> self_;
};

}  // namespace zerlith::x11
