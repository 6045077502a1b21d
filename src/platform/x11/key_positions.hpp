#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zerlith::x11 {

/// The XKB name of the key at the physical position of a macOS virtual key code on an ANSI
/// keyboard: 49 (Space) → "SPCE", 48 (Tab) → "TAB", 6 (Z on a US layout) → "AB01". None for a
/// code with no such key.
std::optional<std::string_view> xkbKeyName(std::uint32_t macKeyCode);

}  // namespace zerlith::x11
