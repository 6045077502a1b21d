#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/activation_log.hpp"
#include "platform/geometry.hpp"
#include "platform/macos/accessibility.hpp"

/// Raises a window that has no accessibility element of its own by pressing its entry in the
/// application's "Window" menu, writing what it does to the activation log.
///
/// Any thread. raise() blocks its caller (it sleeps and polls through the platform clock), so it
/// belongs on a background queue.
namespace zerlith::WindowMenu {

/// Raises the window of `pid` titled `title`. The matching menu entries are tried in turn,
/// starting at `duplicateIndex` (clamped to the last entry); `verify`, when set, is asked after
/// each landing and must return true for it to count. True when a press landed and passed.
/// The trace lines and the application's hint go to `log`.
bool raise(ActivationLog& log, Pid pid, const std::string& title, std::int64_t duplicateIndex,
           const std::function<bool()>& verify);

/// Whether an observed title (a menu entry's or a focused window's) names the wanted window:
/// equal, either a prefix of the other, or a truncated title "head…tail" whose head and tail
/// (8 characters or more together) begin and end the wanted one.
bool compare(std::string_view observed, std::string_view wanted);

/// The "Window" menu entries of `pid` (or, with no such menu, of every menu) that match
/// `title`: exact matches first, then loose ones, each group in menu order. Empty when the
/// menu bar cannot be read.
std::vector<platform::AXElementRef> matchingItems(Pid pid, std::string_view title);

}  // namespace zerlith::WindowMenu
