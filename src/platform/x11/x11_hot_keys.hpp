#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <xcb/xcb.h>

#include "platform/hot_keys.hpp"
#include "platform/x11/keyboard_layout.hpp"
#include "platform/x11/xcb_connection.hpp"

namespace zerlith::x11 {

/// Global keys as passive grabs on the root window, one per combination of the lock modifiers
/// (Caps, Num and Scroll Lock), so a user with Num Lock on keeps the key. A key another client
/// grabbed first is refused. The grabs follow changes of the keyboard layout; a held key's
/// repeats and its release do nothing.
///
/// A press also takes the whole keyboard until releaseTyping(): the grab freezes the keyboard at
/// the press, so what the user types right after the hot key comes here in order instead of
/// reaching the window being left, however late the application's window appears.
///
/// The key events arrive on the backend's connection, which DesktopCache reads: it hands them to
/// handleEvent(). Any thread; one lock guards the registrations.
class X11HotKeys final : public platform::HotKeys {
public:
    explicit X11HotKeys(XcbConnection& connection);

    void setPressHandler(PressHandler handler) override;
    bool registerKey(std::uint32_t id, std::uint32_t keyCode, std::uint32_t carbonModifiers) override;
    void unregisterKey(std::uint32_t id) override;
    std::optional<std::string> layoutKeyName(std::uint32_t keyCode) override;
    platform::KeyNotation notation() const override { return platform::KeyNotation::words; }
    std::optional<std::uint32_t> storedKeyCode(std::uint32_t nativeKey) override;
    std::string releaseTyping() override;

    /// Takes a key event or a keyboard notification read from the connection; false for any other
    /// event. Called by the reader of the connection's events; never waits for keys.
    bool handleEvent(const xcb_generic_event_t& event);
    /// What reads the events already on their way from the server (DesktopCache); releaseTyping()
    /// uses it so that keys typed just before the release are kept.
    void setEventReader(std::function<void()> readEvents) { readEvents_ = std::move(readEvents); }

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

    XcbConnection& connection_;
    std::function<void()> readEvents_;
    std::mutex mutex_;
    KeyboardLayout layout_;
    PressHandler handler_;
    std::map<std::uint32_t, Registration> registrations_;
    /// Hot keys down, with the time of their last press or repeat: their repeats are ignored. A
    /// key still down when the keyboard is let go has its release go elsewhere and leaves an entry
    /// behind, which a press long after it no longer counts as held.
    std::map<xcb_keycode_t, xcb_timestamp_t> held_;
    bool capturing_ = false;
    std::string typed_;
};

}  // namespace zerlith::x11
