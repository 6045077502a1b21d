#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

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

/// Whether sway's configuration text binds `chord` in its default mode, by `bindsym` or
/// `bindcode`, with `set $variable` values put in and modifier aliases (Alt, Super, Ctrl) read as
/// the names they stand for. Bindings in other modes and lines it cannot read count as none.
bool configBinds(std::string_view config, const KeyChord& chord);

}  // namespace zerlith::wlroots
