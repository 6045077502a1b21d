#include "cli/command_line.hpp"

#include <gtest/gtest.h>

namespace zerlith::CLI {
namespace {

struct DispatchCase {
    std::vector<std::string> arguments;
    Mode mode;
};

class DispatchPrecedence : public ::testing::TestWithParam<DispatchCase> {};

TEST_P(DispatchPrecedence, PicksTheFirstModeThatApplies) {
    EXPECT_EQ(parse(GetParam().arguments).mode, GetParam().mode);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, DispatchPrecedence,
    ::testing::Values(DispatchCase{{}, Mode::application},
                      DispatchCase{{"--bench", "--dump"}, Mode::dump},
                      DispatchCase{{"--dump", "--dump-file=/tmp/x.json"}, Mode::dumpToFile},
                      DispatchCase{{"--dump-file=", "--bench"}, Mode::dumpToFile},
                      DispatchCase{{"--dump-file=/tmp/t.json", "--raise=Notes"}, Mode::raise},
                      DispatchCase{{"--bench", "--dump", "--raise=x"}, Mode::raise},
                      DispatchCase{{"--move=left"}, Mode::application},
                      DispatchCase{{"--palette", "--instant", "--settings"}, Mode::application},
                      DispatchCase{{"--bench", "--bench"}, Mode::bench},
                      DispatchCase{{"--dump", "--version"}, Mode::version},
                      DispatchCase{{"--version", "-h", "--raise=x"}, Mode::help},
                      DispatchCase{{"--help", "--Dump"}, Mode::misuse},
                      DispatchCase{{"dump"}, Mode::misuse},
                      DispatchCase{{"-dump"}, Mode::misuse},
                      DispatchCase{{"--raise"}, Mode::misuse},
                      DispatchCase{{""}, Mode::misuse}));

TEST(CommandLine, ValuesAreTakenVerbatim) {
    const auto invocation = parse({"--raise= Notes:tab ", "--move=DELL", "--dump-file="});
    EXPECT_EQ(invocation.query, " Notes:tab ");
    EXPECT_EQ(invocation.moveValue, "DELL");
    EXPECT_EQ(invocation.logPath, "");
}

TEST(CommandLine, MoveWithoutRaiseIsNotKept) {
    EXPECT_EQ(parse({"--move=right", "--dump"}).moveValue, std::nullopt);
}

TEST(CommandLine, TheFirstArgumentNotUnderstoodIsNamed) {
    EXPECT_EQ(parse({"--dump", "--frobnicate", "--also-wrong"}).unrecognized, "--frobnicate");
}

TEST(CommandLine, ArgumentsFormASet) {
    EXPECT_EQ(parse({"--dump", "--dump", "--bench"}).arguments, (std::set<std::string>{"--bench", "--dump"}));
}

}  // namespace
}  // namespace zerlith::CLI
