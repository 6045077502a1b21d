#pragma once

namespace zerlith {

/// The keys the palette acts on; every other key reaches the search field.
enum class PaletteKey { returnKey, keypadEnter, tab, escape, left, right, down, up, other };

/// One key press as the palette sees it. `command` is the platform's command modifier (Ctrl on
/// Linux); other modifiers do not matter to the palette.
struct PaletteKeyPress {
    PaletteKey key = PaletteKey::other;
    bool command = false;
    bool shift = false;
};

}  // namespace zerlith
