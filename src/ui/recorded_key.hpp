#pragma once

#include <cstdint>
#include <optional>

#include <Qt>

#include "shell/shortcut.hpp"

namespace zerlith::ui {

/// The stored key code (a macOS virtual key code) of a Qt key, by its place on a US keyboard;
/// none for a key without one. Shifted symbols count as their key ("!" is the key of "1").
std::optional<std::uint32_t> storedKeyCodeOfQtKey(int qtKey);

/// Shift, Control, Alt, Meta, Super and the lock keys: pressed alone they make no shortcut.
bool isModifierKey(int qtKey);

/// The four modifiers of a shortcut as Qt reports them: Ctrl is control, Alt is option, Meta
/// (Super) is command.
KeyEventModifiers shortcutModifiers(Qt::KeyboardModifiers modifiers);

}  // namespace zerlith::ui
