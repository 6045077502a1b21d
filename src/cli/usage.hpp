#pragma once

#include <ostream>
#include <string_view>

/// What `zerlith --help` and `zerlith --version` print, and the hint after a misused command line.
namespace zerlith::CLI {

/// The modes, options, environment variables and files, for standard output.
void printUsage(std::ostream& out);

/// "zerlith VERSION".
void printVersion(std::ostream& out);

/// One line naming the argument that is not understood, then where to read the usage.
void printMisuse(std::ostream& err, std::string_view argument);

}  // namespace zerlith::CLI
