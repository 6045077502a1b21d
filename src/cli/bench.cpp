#include "cli/bench.hpp"

#include <cstdio>
#include <string>

#include "cli/dump.hpp"
#include "cli/stopwatch.hpp"
#include "sources/window_source.hpp"

namespace zerlith::Bench {
namespace {
constexpr std::size_t kLabelWidth = 22;
}

std::string formatLine(std::string_view label, double milliseconds, std::size_t targetCount) {
    std::string line = "  ";
    line += label.substr(0, kLabelWidth);
    line.append(kLabelWidth - std::min(label.size(), kLabelWidth), ' ');
    char duration[64];
    std::snprintf(duration, sizeof duration, "%8.2f", milliseconds);
    line += duration;
    line += " ms   ";
    line += std::to_string(targetCount);
    line += " targets";
    return line;
}

void measure(std::string_view label, std::ostream& out) {
    const auto [milliseconds, count] = CLI::timed([] { return WindowSource::enumerate().size(); });
    out << formatLine(label, milliseconds, count) << '\n';
}

void bench(std::ostream& out, std::ostream& err) {
    Dump::warnAboutMissingPermissions(err);
    out << "Enumeration benchmark\n";
    measure("windows (cold)", out);
    for (int run = 1; run <= 3; ++run) measure("windows (warm " + std::to_string(run) + ")", out);
    out << std::flush;
}

}  // namespace zerlith::Bench
