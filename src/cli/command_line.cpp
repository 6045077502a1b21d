#include "cli/command_line.hpp"

#include <cstdio>
#include <iostream>
#include <string_view>

#include "cli/bench.hpp"
#include "cli/dump.hpp"
#include "cli/output_file.hpp"
#include "cli/scripted_raise.hpp"

namespace zerlith::CLI {
namespace {

constexpr std::string_view kRaisePrefix = "--raise=";
constexpr std::string_view kMovePrefix = "--move=";
constexpr std::string_view kDumpFilePrefix = "--dump-file=";
constexpr int kUnwritable = 1;  // the exit status when the output file could not be written

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
    if (auto query = valueOf(invocation.arguments, kRaisePrefix)) {
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
        case Mode::application:
            break;
    }
    return 0;
}

}  // namespace zerlith::CLI
