#pragma once

#include <ostream>
#include <string>
#include <string_view>

namespace zerlith::CLI {

/// Writes a mode's output atomically to `path`. A failure is said in one line on `errors`
/// ("zerlith: cannot write PATH: reason") and gives false: a script must not take a missing file
/// for a written one. Main thread of the command-line process.
bool writeOutputFile(const std::string& path, std::string_view bytes, std::ostream& errors);

}  // namespace zerlith::CLI
