#include "platform/thread_dispatch.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <vector>

namespace zerlith::platform {
namespace {

TEST(ThreadDispatch, SerialQueueRunsInOrderAndItsEndWaitsForQueuedWork) {
    ThreadDispatch dispatch;
    std::vector<int> order;
    {
        auto queue = dispatch.makeSerialQueue("test.serial");
        for (int i = 0; i < 100; ++i) queue->async([&order, i] { order.push_back(i); });
    }
    ASSERT_EQ(order.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(order[i], i);
}

TEST(ThreadDispatch, BackgroundWorkHopsBackToTheMainThread) {
    ThreadDispatch dispatch;
    const auto mainThread = std::this_thread::get_id();
    std::atomic<int> ranOnMain = 0;
    for (int i = 0; i < 8; ++i) {
        dispatch.concurrentQueue().async([&] {
            dispatch.postMain([&] { ranOnMain += std::this_thread::get_id() == mainThread; });
        });
    }
    // Bounded: stops as soon as all eight hops ran.
    for (int round = 0; round < 200 && ranOnMain < 8; ++round) dispatch.runMainFor(0.01);
    EXPECT_EQ(ranOnMain, 8);
}

TEST(ThreadDispatch, DelayedMainWorkWaitsItsTurnAndKeepsPostingOrder) {
    ThreadDispatch dispatch;
    std::vector<int> order;
    dispatch.postMainAfter(0.02, [&] { order.push_back(3); });
    dispatch.postMain([&] { order.push_back(1); });
    dispatch.postMain([&] { order.push_back(2); });
    dispatch.runMainFor(0.0);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    for (int round = 0; round < 200 && order.size() < 3; ++round) dispatch.runMainFor(0.01);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

}  // namespace
}  // namespace zerlith::platform
