#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zerlith::AppleScriptRunner {

/// Runs one script through the installed platform's interpreter and returns what it printed:
/// present only when the script finished within `timeout` seconds, exited with status 0 and
/// printed valid UTF-8; then exactly that output, untrimmed (empty output is an empty string).
/// Blocks the calling thread for at most `timeout` plus about half a second; never call it on
/// the main thread of the running application. Any other thread.
std::optional<std::string> run(std::string_view source, double timeout);

namespace detail {

/// The process-running core of run(): starts `interpreterPath` with the arguments "-e" and
/// `source`, standard input and error on the null device, and collects standard output.
/// On timeout the child's process group is terminated (killed if it lingers past the grace)
/// and reaped; no descriptor or child is left behind by the time this returns, except a
/// reader still draining output that an escaped grandchild keeps open.
std::optional<std::string> runProcess(const std::string& interpreterPath, std::string_view source,
                                      double timeout);

}  // namespace detail

}  // namespace zerlith::AppleScriptRunner
