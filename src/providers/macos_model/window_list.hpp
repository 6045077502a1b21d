#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/windows.hpp"
#include "platform/macos/accessibility.hpp"
#include "platform/macos/window_server.hpp"

/// The windows of the user's applications on the macOS model: the window server's list
/// (authoritative, every Space) joined with the accessibility tree (elements for direct raising,
/// current Space only), matched by frame and title. Stateless; any thread.
namespace zerlith::WindowList {

/// Windows in window-server order, front to back. Empty without Screen Recording; without
/// Accessibility none carries an element. Blocks at most the accessibility messaging timeout
/// per unresponsive application.
std::vector<desktop::Window> list();

/// A window's accessibility element as the handle its target keeps.
std::shared_ptr<const WindowHandle> handleFor(platform::AXElementRef element);
/// The accessibility element a listed window was matched with; null when it had none.
platform::AXElementRef elementOf(const WindowRef& window);

namespace detail {

/// One window of the window server's list that passed the filters.
struct CGWindowInfo {
    std::uint32_t id = 0;
    Pid pid = 0;
    std::string title;  ///< raw, not yet cleaned
    Rect frame;         ///< top-left space
    bool isOnscreen = false;
};

/// One window of an application's accessibility tree.
struct AXCandidate {
    platform::AXElementRef element;
    std::string title;  ///< cleaned
    Rect frame;         ///< same space as the window server's bounds
};

/// A window record as a switchable window, or none when a filter drops it (not on layer 0, owned
/// by `ownPid`, a key missing or of the wrong type, nearly transparent, smaller than 120 by 60).
std::optional<CGWindowInfo> windowInfo(const platform::WindowRecord& record, Pid ownPid);

/// 3 for equal titles, 2 when one begins with the other, 0 otherwise or when either is empty.
int titleAffinity(std::string_view a, std::string_view b);

/// 0 to 7: 2 for the same whole-number origin, 2 for the same whole-number size (magnitudes),
/// plus the title affinity. Coordinates round half away from zero; a value that is not finite
/// or does not fit 64 bits matches nothing.
int matchScore(const AXCandidate& ax, const Rect& frame, std::string_view cleanedTitle);

/// Removes and returns the element of the best-scoring candidate (the first among equals in the
/// application's order) when it scores at least 3; null otherwise, leaving the list as it was.
/// `lastFirst` holds the candidates in reverse of the application's order: the usual match, the
/// first one left, then comes off the back without moving the others.
platform::AXElementRef takeBestMatch(std::vector<AXCandidate>& lastFirst, const Rect& frame,
                                     std::string_view cleanedTitle);

}  // namespace detail

}  // namespace zerlith::WindowList
