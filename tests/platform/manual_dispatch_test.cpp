#include "platform/manual_dispatch.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zerlith::platform {
namespace {

class ManualDispatchTest : public ::testing::Test {
protected:
    ManualClock clock{1000.0};
    ManualDispatch dispatch{clock};
    std::vector<std::string> log;
};

TEST_F(ManualDispatchTest, NothingRunsUntilAsked) {
    dispatch.postMain([this] { log.push_back("main"); });
    dispatch.concurrentQueue().async([this] { log.push_back("background"); });
    EXPECT_TRUE(log.empty());
    dispatch.runUntilIdle();
    EXPECT_EQ(log, (std::vector<std::string>{"background", "main"}));
}

TEST_F(ManualDispatchTest, DelayedWorkRunsInDueOrderAsTheClockReachesIt) {
    dispatch.postMainAfter(0.24, [this] { log.push_back("late@" + std::to_string(clock.now() - 1000)); });
    dispatch.postMainAfter(0.12, [this] { log.push_back("early"); });
    dispatch.runMainFor(0.1);
    EXPECT_TRUE(log.empty());
    EXPECT_DOUBLE_EQ(clock.now(), 1000.1);
    dispatch.runMainFor(1.0);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "early");
    EXPECT_EQ(log[1].substr(0, 9), "late@0.24");
    EXPECT_DOUBLE_EQ(clock.now(), 1001.1);
}

TEST_F(ManualDispatchTest, WorkPostedByWorkRunsWithinTheSameWindow) {
    dispatch.postMain([this] {
        dispatch.postMainAfter(0.5, [this] { log.push_back("chained"); });
    });
    dispatch.runMainFor(0.5);
    EXPECT_EQ(log, std::vector<std::string>{"chained"});
}

TEST_F(ManualDispatchTest, SleepingInBackgroundWorkMovesTheClock) {
    dispatch.concurrentQueue().async([this] { clock.sleep(0.4); });
    dispatch.postMainAfter(0.3, [this] { log.push_back("due"); });
    dispatch.runUntilIdle();
    EXPECT_DOUBLE_EQ(clock.now(), 1000.4);
    EXPECT_EQ(log, std::vector<std::string>{"due"});
}

TEST(ManualClockTest, NegativeAdvanceIsIgnoredAndSetNowLeavesDurations) {
    ManualClock clock(50.0);
    clock.advance(-3);
    clock.advance(2);
    clock.setNow(10);
    EXPECT_DOUBLE_EQ(clock.now(), 10);
    EXPECT_EQ(clock.monotonicNanos(), 2'000'000'000u);
}

}  // namespace
}  // namespace zerlith::platform
