#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace zerlith {

/// What the Window-menu raise remembers about one application whose menu presses did nothing
/// until it was activated. Keyed by bundle identifier, or the decimal process id when there is none.
struct ActivationHint {
    std::int64_t consecutiveNoOps = 0;      ///< no-op presses since the last clean landing
    std::optional<std::uint64_t> markedAt;  ///< monotonic nanoseconds; none while not marked
};

/// The activation trace (the lines of the latest activation, which the scripted raise reports)
/// and the per-application activation hints. One per application run, handed to whatever
/// activates; overlapping background raises write it, so every member takes one lock, and a
/// hint's read-modify-write happens under that lock as a whole.
class ActivationLog {
public:
    /// Any thread: a copy of the trace, oldest line first.
    std::vector<std::string> lastTrace() const;
    /// Any thread: replaces the whole trace by one line; an activation starts with this.
    void startTrace(std::string firstLine);
    /// Any thread: adds one line to the trace.
    void appendTrace(std::string line);

    /// Any thread: the hint stored under a key, or none when the application never had one.
    std::optional<ActivationHint> hint(const std::string& key) const;
    /// Any thread: replaces the hint stored under a key.
    void storeHint(const std::string& key, ActivationHint hint);
    /// Any thread: changes the hint under a key (a fresh one when there is none) in one step, so
    /// that two raises counting at once cannot lose a count.
    void updateHint(const std::string& key, const std::function<void(ActivationHint&)>& change);

private:
    mutable std::mutex mutex_;
    std::vector<std::string> trace_;
    std::unordered_map<std::string, ActivationHint> hints_;
};

}  // namespace zerlith
