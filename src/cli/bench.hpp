#pragma once

#include <ostream>
#include <string_view>

namespace zerlith::Bench {

/// Times one cold and three warm window enumerations, one line each under a header on `out`;
/// the permission warnings go to `err` first.
void bench(std::ostream& out, std::ostream& err);

/// Times one window enumeration and prints its line: the label in 22 columns, the milliseconds
/// as "%8.2f", then the number of targets.
void measure(std::string_view label, std::ostream& out);

/// The result line for a label, a duration and a target count.
std::string formatLine(std::string_view label, double milliseconds, std::size_t targetCount);

}  // namespace zerlith::Bench
