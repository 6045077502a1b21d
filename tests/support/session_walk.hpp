#pragma once

// A person's session with Zerlith on a live desktop, as a seeded random walk of what people do:
// hot keys, typing, Escape, the instant switch, `zerlith --palette`, other windows taking the focus,
// windows coming and going, desktop switches and lock keys. After every step a small model says
// what the user must see: whether the palette shows, which window is active, that another client
// can take the keyboard when the palette is closed, and that the keys typed after a switch reach
// the window switched to. Each desktop brings a fixture that does and reads these things there.
//
//   ZERLITH_SESSION_SEED=N    replays one walk (a failure prints its seed)
//   ZERLITH_SESSION_STEPS=N   walks N steps

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace zerlith::testing {

/// A live desktop as the walk drives and reads it. Keys are named as xdotool names them:
/// "alt+space", "alt+Tab", "Return", "Escape", "Num_Lock", "Caps_Lock", or a lower-case letter.
/// Windows are told apart by their titles.
class WalkedDesktop {
public:
    virtual ~WalkedDesktop() = default;

    // ---- the user's hands ---------------------------------------------------------------------

    /// Presses keys one after the other, as a fast typist's burst.
    virtual void press(const std::vector<std::string>& keys) = 0;
    /// Opens a window that logs the keys it gets and waits until the desktop shows it focused.
    virtual void openWindow(const std::string& title) = 0;
    /// Closes a window and waits until the desktop no longer lists it.
    virtual void closeWindow(const std::string& title) = 0;
    /// Focuses a window as a click on it would.
    virtual void click(const std::string& title) = 0;
    /// Shows another, empty desktop and then the walk's own again.
    virtual void visitAnotherDesktop() = 0;

    // ---- what the user sees -------------------------------------------------------------------

    /// The title of the window with the keyboard focus; empty when none has it.
    virtual std::string focusedTitle() = 0;
    virtual bool paletteShown() = 0;
    /// Whether another client could take the keyboard now.
    virtual bool keyboardFree() = 0;
    /// The next key a window got since the last call: its letter, or another key described; none
    /// after `seconds`. Modifiers and lock keys are left out.
    virtual std::optional<std::string> nextKey(const std::string& title, double seconds) = 0;

    /// The command line that runs Zerlith with `arguments` on this desktop.
    virtual std::vector<std::string> zerlithCommand(const std::vector<std::string>& arguments) = 0;
};

/// The seed of ZERLITH_SESSION_SEED when set, else `defaults`.
std::vector<unsigned long> sessionSeeds(const std::vector<unsigned long>& defaults);

/// A walk's test name: its seed.
inline std::string seedName(const ::testing::TestParamInfo<unsigned long>& seed) {
    return "seed" + std::to_string(seed.param);
}

/// Starts Zerlith on `desktop` with four windows open, walks `steps` steps (ZERLITH_SESSION_STEPS
/// when set) from `seed`, checking the model after each, then ends Zerlith. Failures are
/// GoogleTest failures that name the seed and the last steps.
void walkSession(WalkedDesktop& desktop, unsigned long seed, unsigned long steps);

}  // namespace zerlith::testing
