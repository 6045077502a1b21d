#pragma once

#include <optional>
#include <string_view>

#include "platform/hot_keys.hpp"
#include "platform/preferences.hpp"
#include "shell/shortcut.hpp"

/// Where the two global shortcuts are stored, and what they are when nothing valid is.
namespace zerlith::ShortcutPreferences {

inline constexpr std::string_view kPaletteKey = "shortcut.palette";
inline constexpr std::string_view kInstantKey = "shortcut.instant";
/// Whether the user lets the switcher bind its keys where that changes the desktop's own
/// configuration; yes when nothing is stored.
inline constexpr std::string_view kConsentKey = "shortcut.bindInCompositor";
/// Option-Space.
inline constexpr Shortcut kPaletteDefault{49, Shortcut::kOption};
/// Option-Tab.
inline constexpr Shortcut kInstantDefault{48, Shortcut::kOption};

/// The shortcut stored under `key`; none when nothing is stored or the value is broken.
std::optional<Shortcut> load(platform::Preferences& preferences, std::string_view key);
/// The stored shortcut, or `fallback` when there is none.
Shortcut loadOr(platform::Preferences& preferences, std::string_view key, Shortcut fallback);
/// Whether the switcher may take its keys on the desktop of `keys`: always, unless taking them
/// needs the user's consent and the user withdrew it.
bool mayTakeKeys(platform::Preferences& preferences, const platform::HotKeys& keys);
/// Stores the shortcut under `key`; false when the preferences could not keep it.
bool save(platform::Preferences& preferences, const Shortcut& shortcut, std::string_view key);

}  // namespace zerlith::ShortcutPreferences
