#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace zerlith {
class ActivationLog;
class SnapshotStore;
class UsageStore;
}  // namespace zerlith

namespace zerlith::CLI {

/// The one mode a run takes, in the order of precedence: an argument that is not understood
/// stops the run before anything starts.
enum class Mode { misuse, help, version, raise, dumpToFile, dump, bench, application };

/// What the command line asks for. Arguments form a set: order and repeats carry no meaning.
struct Invocation {
    Mode mode = Mode::application;
    std::set<std::string> arguments;
    /// The value of "--dump-file=", possibly empty; the dump's file, or the raise trace's.
    std::optional<std::string> logPath;
    std::string query;                     ///< the value of "--raise="
    std::optional<std::string> moveValue;  ///< the value of "--move=", with a raise
    std::string unrecognized;              ///< the first argument not understood, with `misuse`
};

/// Reads the arguments (without the program path) and picks the mode.
Invocation parse(const std::vector<std::string>& arguments);

/// The long-lived objects the modes work with, built once by the executable.
struct Services {
    SnapshotStore& snapshots;
    UsageStore& usage;
    ActivationLog& activationLog;
};

/// Answers `misuse`, `help` and `version`, which need no desktop: the exit status, or none for
/// the other modes.
std::optional<int> answerWithoutDesktop(const Invocation& invocation);

/// Runs a command-line mode that needs the desktop on the main thread and returns the exit
/// status: 1 when the file of "--dump-file=" could not be written (said on standard error), else 0.
int run(const Invocation& invocation, const Services& services);

}  // namespace zerlith::CLI
