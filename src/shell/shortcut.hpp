#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "platform/hot_keys.hpp"

namespace zerlith {

/// A global keyboard shortcut in its stored form: a macOS virtual key code and a Carbon modifier
/// mask, so a preferences file reads the same on every platform. A plain value.
struct Shortcut {
    static constexpr std::uint32_t kCommand = 0x100;
    static constexpr std::uint32_t kShift = 0x200;
    static constexpr std::uint32_t kOption = 0x800;
    static constexpr std::uint32_t kControl = 0x1000;

    std::uint32_t keyCode = 0;
    std::uint32_t carbonModifiers = 0;

    bool operator==(const Shortcut&) const = default;

    /// {"carbonModifiers":…,"keyCode":…}
    nlohmann::json toJson() const;
    /// None unless both members are there as unsigned 32-bit integers.
    static std::optional<Shortcut> fromJson(const nlohmann::json& value);
};

/// The modifiers held during a key press; lock and function keys do not count.
struct KeyEventModifiers {
    bool command = false;
    bool shift = false;
    bool option = false;
    bool control = false;
};

/// The shortcut a recorded key press makes; none for a key pressed without any of the four
/// modifiers (shift alone counts).
std::optional<Shortcut> shortcutFromKeyEvent(std::uint32_t keyCode, KeyEventModifiers modifiers);

/// What the current keyboard layout writes on a key code, upper-cased; none when it writes
/// nothing there.
using LayoutKeyName = std::function<std::optional<std::string>(std::uint32_t keyCode)>;

/// "Space", "Tab", "Return", "Esc" and the arrows for their codes; otherwise the layout's name,
/// and "Key <code>" when it has none.
std::string keyName(std::uint32_t keyCode, const LayoutKeyName& layout);

/// The shortcut as the user reads it: "⌃⌥⇧⌘Space" in glyphs, "Ctrl+Alt+Shift+Super+Space" in
/// words (modifiers always in that order).
std::string displayString(const Shortcut& shortcut, platform::KeyNotation notation, const LayoutKeyName& layout);
/// The shortcut as the desktop's users write it, with its layout's key names; the glyph form
/// without them where the desktop has no keys to offer (`keys` none). Main thread.
std::string displayString(const Shortcut& shortcut, platform::HotKeys* keys);

}  // namespace zerlith
