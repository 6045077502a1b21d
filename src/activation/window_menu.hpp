#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/accessibility.hpp"
#include "platform/geometry.hpp"

/// Raises a window that has no accessibility element of its own by pressing its entry in the
/// application's "Window" menu, and owns the activation trace that every activation writes.
///
/// The trace and the per-application hints are process-wide and guarded by one lock: any thread
/// may call any function here. raise() blocks its caller (it sleeps and polls through the
/// platform clock), so it belongs on a background queue.
namespace zerlith::WindowMenu {

/// Raises the window of `pid` titled `title`. The matching menu entries are tried in turn,
/// starting at `duplicateIndex` (clamped to the last entry); `verify`, when set, is asked after
/// each landing and must return true for it to count. True when a press landed and passed.
bool raise(Pid pid, const std::string& title, std::int64_t duplicateIndex, const std::function<bool()>& verify);

/// A copy of the activation trace: the lines of the latest activation, oldest first.
std::vector<std::string> lastTrace();
/// Replaces the whole trace by one line; an activation starts with this.
void startTrace(std::string firstLine);
/// Adds one line to the trace.
void appendTrace(std::string line);

/// What the raise remembers about one application whose menu presses did nothing until it was
/// activated. Keyed by bundle identifier, or the decimal process id when there is none.
struct ActivationHint {
    std::int64_t consecutiveNoOps = 0;         ///< no-op presses since the last clean landing
    std::optional<std::uint64_t> markedAt;     ///< monotonic nanoseconds; none while not marked
};

/// The hint stored under a key, or none when the application never had one.
std::optional<ActivationHint> hint(const std::string& key);

/// Whether an observed title (a menu entry's or a focused window's) names the wanted window:
/// equal, either a prefix of the other, or a truncated title "head…tail" whose head and tail
/// (8 characters or more together) begin and end the wanted one.
bool compare(std::string_view observed, std::string_view wanted);

/// The "Window" menu entries of `pid` (or, with no such menu, of every menu) that match
/// `title`: exact matches first, then loose ones, each group in menu order. Empty when the
/// menu bar cannot be read.
std::vector<platform::AXElementRef> matchingItems(Pid pid, std::string_view title);

/// Test support only: empties the trace and forgets every hint, so that process-wide state
/// does not leak from one test into the next.
void resetForTesting();

}  // namespace zerlith::WindowMenu
