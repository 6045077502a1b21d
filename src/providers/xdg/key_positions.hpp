#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace zerlith::xdg {

/// The XKB name of the key at the physical position of a macOS virtual key code on an ANSI
/// keyboard: 49 (Space) → "SPCE", 48 (Tab) → "TAB", 6 (Z on a US layout) → "AB01". None for a
/// code with no such key.
std::optional<std::string_view> xkbKeyName(std::uint32_t macKeyCode);
/// The macOS virtual key code of the key whose XKB name makes `isKey` true; none when no key of
/// the table does.
std::optional<std::uint32_t> macKeyCode(const std::function<bool(std::string_view xkbName)>& isKey);

}  // namespace zerlith::xdg
