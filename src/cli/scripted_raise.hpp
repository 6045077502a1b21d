#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace zerlith {
class ActivationLog;
class SnapshotStore;
}

/// "--raise=": raises the first target whose title contains a query, optionally moves it to
/// another screen, waits for the activation to finish and writes a JSON trace of what it saw.
/// Main thread of the command-line process.
namespace zerlith::ScriptedRaise {

/// `query` may end in ":window" or ":tab" to consider only that kind. `moveValue` is "left",
/// "right" or part of a screen's name; none: no move. `tracePath` none: the trace goes to
/// standard output. Enumerates `store` blocking and runs the main queue for about 4.4 s of clock
/// time; always ends with exactly one write of the trace, which includes `log`'s lines. False
/// when that write failed.
bool raise(SnapshotStore& store, ActivationLog& log, std::string_view query,
           const std::optional<std::string>& moveValue, const std::optional<std::string>& tracePath);

/// Writes `trace` pretty-printed with sorted keys: to standard output followed by a line feed,
/// or, with a path, atomically to that file. False when the file could not be written, which is
/// then said on standard error.
bool write(const nlohmann::json& trace, const std::optional<std::string>& path);

}  // namespace zerlith::ScriptedRaise
