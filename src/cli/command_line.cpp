#include "cli/command_line.hpp"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string_view>

#include "cli/bench.hpp"
#include "cli/dump.hpp"
#include "cli/output_file.hpp"
#include "cli/scripted_raise.hpp"
#include "cli/usage.hpp"

namespace zerlith::CLI {
namespace {

constexpr std::string_view kRaisePrefix = "--raise=";
constexpr std::string_view kMovePrefix = "--move=";
constexpr std::string_view kDumpFilePrefix = "--dump-file=";
constexpr int kUnwritable = 1;  // the exit status when the output file could not be written
constexpr int kMisused = 2;     // the exit status when the command line is not understood

constexpr std::string_view kFlags[] = {"--dump", "--bench", "--palette", "--instant", "--settings",
                                       "-h",     "--help",  "--version"};
constexpr std::string_view kValuePrefixes[] = {kRaisePrefix, kMovePrefix, kDumpFilePrefix};

bool understood(const std::string& argument) {
    return std::ranges::find(kFlags, argument) != std::end(kFlags) ||
           std::ranges::any_of(kValuePrefixes, [&](auto prefix) { return argument.starts_with(prefix); });
}

/// The value of the first argument (in set order) that starts with `prefix`.
std::optional<std::string> valueOf(const std::set<std::string>& arguments, std::string_view prefix) {
    for (const auto& argument : arguments) {
        if (argument.starts_with(prefix)) return argument.substr(prefix.size());
    }
    return std::nullopt;
}

}  // namespace

Invocation parse(const std::vector<std::string>& arguments) {
    Invocation invocation;
    invocation.arguments = {arguments.begin(), arguments.end()};
    invocation.logPath = valueOf(invocation.arguments, kDumpFilePrefix);
    if (const auto unknown = std::ranges::find_if_not(arguments, understood); unknown != arguments.end()) {
        invocation.mode = Mode::misuse;
        invocation.unrecognized = *unknown;
    } else if (invocation.arguments.contains("--help") || invocation.arguments.contains("-h")) {
        invocation.mode = Mode::help;
    } else if (invocation.arguments.contains("--version")) {
        invocation.mode = Mode::version;
    } else if (auto query = valueOf(invocation.arguments, kRaisePrefix)) {
        invocation.mode = Mode::raise;
        invocation.query = *query;
        invocation.moveValue = valueOf(invocation.arguments, kMovePrefix);
    } else if (invocation.logPath) {
        invocation.mode = Mode::dumpToFile;
    } else if (invocation.arguments.contains("--dump")) {
        invocation.mode = Mode::dump;
    } else if (invocation.arguments.contains("--bench")) {
        invocation.mode = Mode::bench;
    }
    return invocation;
}

std::optional<int> answerWithoutDesktop(const Invocation& invocation) {
    switch (invocation.mode) {
        case Mode::misuse:
            printMisuse(std::cerr, invocation.unrecognized);
            return kMisused;
        case Mode::help:
            printUsage(std::cout);
            return 0;
        case Mode::version:
            printVersion(std::cout);
            return 0;
        default:
            return std::nullopt;
    }
}

int run(const Invocation& invocation, const Services& services) {
    switch (invocation.mode) {
        case Mode::raise:
            return ScriptedRaise::raise(services.snapshots, services.activationLog, invocation.query,
                                        invocation.moveValue, invocation.logPath)
                       ? 0
                       : kUnwritable;
        case Mode::dumpToFile:
            return writeOutputFile(*invocation.logPath, Dump::dumpJSON(services.snapshots, services.usage), std::cerr)
                       ? 0
                       : kUnwritable;
        case Mode::dump:
            std::cout << Dump::dumpJSON(services.snapshots, services.usage) << '\n' << std::flush;
            Dump::warnAboutMissingPermissions(std::cerr);
            break;
        case Mode::bench:
            Bench::bench(std::cout, std::cerr);
            break;
        case Mode::misuse:
        case Mode::help:
        case Mode::version:
            return *answerWithoutDesktop(invocation);
        case Mode::application:
            break;
    }
    return 0;
}

}  // namespace zerlith::CLI
