#include "shell/shortcut.hpp"

#include <array>
#include <limits>
#include <string_view>
#include <utility>

namespace zerlith {
namespace {

struct ModifierName {
    std::uint32_t mask;
    std::string_view glyph;
    std::string_view word;
};

/// In display order.
constexpr std::array<ModifierName, 4> kModifiers{{
    {Shortcut::kControl, "⌃", "Ctrl"},
    {Shortcut::kOption, "⌥", "Alt"},
    {Shortcut::kShift, "⇧", "Shift"},
    {Shortcut::kCommand, "⌘", "Super"},
}};

constexpr std::array<std::pair<std::uint32_t, std::string_view>, 8> kFixedKeyNames{{
    {36, "Return"}, {48, "Tab"}, {49, "Space"}, {53, "Esc"},
    {123, "←"}, {124, "→"}, {125, "↓"}, {126, "↑"},
}};

std::optional<std::uint32_t> unsigned32(const nlohmann::json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_number_unsigned()) return std::nullopt;
    const auto value = found->get<std::uint64_t>();
    if (value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

}  // namespace

nlohmann::json Shortcut::toJson() const { return {{"carbonModifiers", carbonModifiers}, {"keyCode", keyCode}}; }

std::optional<Shortcut> Shortcut::fromJson(const nlohmann::json& value) {
    if (!value.is_object()) return std::nullopt;
    const auto code = unsigned32(value, "keyCode");
    const auto modifiers = unsigned32(value, "carbonModifiers");
    if (!code || !modifiers) return std::nullopt;
    return Shortcut{*code, *modifiers};
}

std::optional<Shortcut> shortcutFromKeyEvent(std::uint32_t keyCode, KeyEventModifiers modifiers) {
    std::uint32_t mask = (modifiers.command ? Shortcut::kCommand : 0) | (modifiers.shift ? Shortcut::kShift : 0) |
                         (modifiers.option ? Shortcut::kOption : 0) | (modifiers.control ? Shortcut::kControl : 0);
    if (mask == 0) return std::nullopt;
    return Shortcut{keyCode, mask};
}

std::string keyName(std::uint32_t keyCode, const LayoutKeyName& layout) {
    for (const auto& [code, name] : kFixedKeyNames)
        if (code == keyCode) return std::string(name);
    if (auto written = layout ? layout(keyCode) : std::nullopt; written && !written->empty()) return *written;
    return "Key " + std::to_string(keyCode);
}

std::string displayString(const Shortcut& shortcut, platform::KeyNotation notation, const LayoutKeyName& layout) {
    std::string text;
    for (const auto& modifier : kModifiers) {
        if ((shortcut.carbonModifiers & modifier.mask) == 0) continue;
        if (notation == platform::KeyNotation::glyphs) {
            text += modifier.glyph;
        } else {
            text += modifier.word;
            text += '+';
        }
    }
    return text + keyName(shortcut.keyCode, layout);
}

std::string displayString(const Shortcut& shortcut, platform::HotKeys* keys) {
    if (keys == nullptr) return displayString(shortcut, platform::KeyNotation::glyphs, {});
    return displayString(shortcut, keys->notation(), [keys](std::uint32_t code) { return keys->layoutKeyName(code); });
}

}  // namespace zerlith
