#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/display.hpp"
#include "platform/geometry.hpp"

namespace zerlith {
using Screen = platform::Screen;
}

/// Geometry of the displays: which screen is primary, which holds a window, which is under the
/// pointer, which lies beside another, and where a window lands when it changes screen.
///
/// Two spaces meet here. Screen frames are in the bottom-left space (origin at the primary
/// screen's bottom-left corner, y up); window and accessibility rectangles are in the top-left
/// space (origin at the primary screen's top-left corner, y down).
///
/// Stateless; every call reads the installed platform's screen list afresh unless given one.
/// Any thread.
namespace zerlith::Screens {

enum class Direction { left, right };

/// The first screen whose frame origin is exactly (0, 0), else the first screen; none when there
/// are no screens.
std::optional<Screen> primary();

/// The first screen whose frame holds the pointer (min edges in, max edges out), else the
/// platform's main screen.
std::optional<Screen> active();
/// The active screen's name; none without screens.
std::optional<std::string> activeName();

/// The screen holding the largest part of a top-left-space rectangle (the earlier screen on a
/// tie); none when no screen overlaps it.
std::optional<Screen> screenForAXRect(const Rect& rect);
/// The same among `screens`, read once by the caller for many rectangles.
std::optional<Screen> screenForAXRect(const Rect& rect, const std::vector<Screen>& screens);

/// The nearest other screen to the left or right, by the midpoints of the frames; none when
/// there is none on that side.
std::optional<Screen> neighbor(const Screen& screen, Direction direction);

/// Where a window (top-left space) goes on `to`: mapped proportionally from `from`'s visible
/// frame, or centred without a source, then clamped to lie fully inside `to`'s visible frame.
Rect placement(const Rect& windowAXFrame, const std::optional<Screen>& from, const Screen& to);

/// Converts a rectangle between the two spaces using the primary screen's frame; the conversion
/// is its own inverse. Without a primary screen the rectangle is returned unchanged.
Rect convertSpace(const Rect& rect, const std::optional<Screen>& primaryScreen);

}  // namespace zerlith::Screens
