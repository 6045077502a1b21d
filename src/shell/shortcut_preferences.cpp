#include "shell/shortcut_preferences.hpp"

namespace zerlith::ShortcutPreferences {

std::optional<Shortcut> load(platform::Preferences& preferences, std::string_view key) {
    const auto stored = preferences.value(key);
    return stored ? Shortcut::fromJson(*stored) : std::nullopt;
}

Shortcut loadOr(platform::Preferences& preferences, std::string_view key, Shortcut fallback) {
    return load(preferences, key).value_or(fallback);
}

bool mayTakeKeys(platform::Preferences& preferences, const platform::HotKeys& keys) {
    if (!keys.needsConsent()) return true;
    const auto consent = preferences.value(kConsentKey);
    return !consent || !consent->is_boolean() || consent->get<bool>();
}

bool save(platform::Preferences& preferences, const Shortcut& shortcut, std::string_view key) {
    return preferences.setValue(key, shortcut.toJson());
}

}  // namespace zerlith::ShortcutPreferences
