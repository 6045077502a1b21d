#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "providers/wlroots/sway_include.hpp"

namespace zerlith::wlroots {

/// A key with its modifiers, as sway's bindings name it.
struct KeyChord {
    std::set<std::string> modifiers;  ///< sway's names: "Mod1", "Mod4", "Control", "Shift"
    std::uint32_t keyCode = 0;        ///< XKB key code, as `bindcode` takes it
    std::string keysym;               ///< what the key writes unmodified, as `bindsym` names it ("space")
    bool operator==(const KeyChord&) const = default;
};

/// A chord in `bindsym` form: "Mod1+space". By symbol, not code: virtual keyboards (wtype,
/// remote desktops) send their own key codes.
std::string bindsymCombo(const KeyChord& chord);
/// sway's modifier names for a stored shortcut's Carbon modifier mask (command 0x100, shift 0x200,
/// option 0x800, control 0x1000): option is Alt (Mod1), command is Super (Mod4).
std::set<std::string> swayModifiers(std::uint32_t carbonModifiers);

/// Where sway's configuration lies, for the files it includes.
struct SwayConfigPlace {
    std::filesystem::path mainFile;  ///< as sway names it (its folder holds relative includes); empty when unknown
    SwayEnvironment environment;     ///< sway's own, for `~` and `$NAME` in include paths
};

/// What sway's configuration says of a chord.
struct BindingCheck {
    bool bound = false;
    std::string problem;  ///< why the configuration cannot be read; empty when it was read
};

/// Whether sway's configuration, its main text and the files it includes (read as sway reads
/// them: each file once, in order, `set $variable` values put in), binds `chord` in its default
/// mode, by `bindsym` or `bindcode`, with modifier aliases (Alt, Super, Ctrl) read as the names
/// they stand for. A configuration that cannot be read whole (a file that will not open, variables
/// that grow past the limits, an include that runs a command) tells a problem.
BindingCheck configBinds(std::string_view mainText, const SwayConfigPlace& place, const KeyChord& chord);

}  // namespace zerlith::wlroots
