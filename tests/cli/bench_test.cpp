#include "cli/bench.hpp"

#include <gtest/gtest.h>

namespace zerlith::Bench {
namespace {

TEST(BenchLine, DurationColumnStartsAtCharacter25) {
    EXPECT_EQ(formatLine("windows (cold)", 3.14159, 12), "  windows (cold)" + std::string(12, ' ') + "3.14 ms   12 targets");
    EXPECT_EQ(formatLine("windows (warm 1)", 0, 0).substr(24), "    0.00 ms   0 targets");
}

TEST(BenchLine, LongLabelsAreCutAndLongDurationsPushTheLine) {
    EXPECT_EQ(formatLine("a label much longer than twenty-two", 12345678.9, 3),
              "  a label much longer th12345678.90 ms   3 targets");
}

}  // namespace
}  // namespace zerlith::Bench
