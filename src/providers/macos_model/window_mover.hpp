#pragma once

#include <cstdint>
#include <optional>

#include "platform/display.hpp"
#include "platform/geometry.hpp"
#include "platform/macos/accessibility.hpp"

/// Moves a window of another application onto a screen through the accessibility interface.
/// Frames are in the top-left space. Main thread: a move out of full screen blocks it 0.35 s.
namespace zerlith::WindowMover {

/// Moves the window onto `destination`, leaving full screen first; a window already on that
/// screen, or whose frame cannot be read, is left alone.
void move(const platform::AXElementRef& window, const platform::Screen& destination);

/// Looks for the focused window of `pid` 0.12 s from now on the main queue and moves it once
/// found; otherwise looks again 0.12 s later, `attemptsRemaining` looks in all (at least 1).
/// Returns at once and reports nothing.
void moveWhenAvailable(Pid pid, const platform::Screen& destination, std::int64_t attemptsRemaining);

/// After a raise on a background queue: on the main queue, moves the application's window onto
/// `destination` once it is the focused one (8 looks); nothing without a destination.
void moveOnceFocused(Pid pid, const std::optional<platform::Screen>& destination);

/// The application's focused window, read with a 0.25 s messaging timeout; none without one.
std::optional<platform::AXElementRef> focusedWindow(Pid pid);

/// Writes position, size, then position again (some applications clamp a size to the old
/// position's screen).
void setFrame(const platform::AXElementRef& window, const Rect& frame);

}  // namespace zerlith::WindowMover
