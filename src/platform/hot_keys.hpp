#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/keyboard_capture.hpp"

namespace zerlith::platform {

/// How a desktop writes shortcuts: the glyphs of the shortcut's home platform ("⌥Space"), or
/// the words Linux users know ("Alt+Space").
enum class KeyNotation { glyphs, words };

/// The desktop's global keys. A key is given in the stored form of a shortcut: a macOS virtual
/// key code and a Carbon modifier mask (command 0x100, shift 0x200, option 0x800, control 0x1000).
class HotKeys {
public:
    /// A registered key was pressed: its id, the desktop's time stamp of the press (0 when the
    /// desktop has none), and the keyboard held from the press (holding nothing where the desktop
    /// captures no keys). May be called on any thread.
    using PressHandler = std::function<void(std::uint32_t id, std::uint32_t pressTime, KeyboardCapture capture)>;
    /// The desktop took a registered key back for itself (sway's configuration binds it after a
    /// reload): its id, which holds nothing from then on. May be called on any thread.
    using LossHandler = std::function<void(std::uint32_t id)>;

    virtual ~HotKeys() = default;

    /// Where presses go from now on. Main thread, before the first registration.
    virtual void setPressHandler(PressHandler handler) = 0;
    /// Where losses go from now on; desktops whose keys stay taken never call it. Main thread.
    virtual void setLossHandler(LossHandler) {}
    /// Takes the key for `id`; false when the desktop refuses it (another application holds it),
    /// and nothing is held for `id` then. Main thread.
    virtual bool registerKey(std::uint32_t id, std::uint32_t keyCode, std::uint32_t carbonModifiers) = 0;
    /// Gives the key of `id` back; nothing when none is held. Main thread.
    virtual void unregisterKey(std::uint32_t id) = 0;

    /// What the key with this code writes in the current keyboard layout, or none (a function
    /// key, an unknown code). Main thread.
    virtual std::optional<std::string> layoutKeyName(std::uint32_t keyCode) = 0;
    virtual KeyNotation notation() const = 0;
    /// Whether taking a key changes the desktop's own configuration (bindings added to sway),
    /// which the user may decline in the settings.
    virtual bool needsConsent() const { return false; }
    /// The stored key code of the key that a key event of the desktop's own names by
    /// `nativeKey` (an X11 key code); none when the desktop cannot tell. Main thread.
    virtual std::optional<std::uint32_t> storedKeyCode(std::uint32_t /*nativeKey*/) { return std::nullopt; }
    /// Stops the keyboard now, for a key of the application's own window that may switch to
    /// another window: what the user types next waits for the capture's hand-over. Holds nothing
    /// where the desktop cannot. Main thread.
    virtual KeyboardCapture holdKeyboard() { return {}; }
};

}  // namespace zerlith::platform
