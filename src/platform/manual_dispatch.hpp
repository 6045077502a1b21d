#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/clock.hpp"
#include "platform/dispatch.hpp"

namespace zerlith::platform {

/// Deterministic dispatch for tests: every queue's work runs on the test's thread, in the order
/// it was queued, and delayed main-queue work runs when the manual clock reaches it.
///
///     ManualClock clock;
///     ManualDispatch dispatch(clock);
///     store.refreshDirty(callback);   // queued, not run
///     dispatch.runUntilIdle();        // the refresh and its main-queue callback run now
///     dispatch.runMainFor(4.0);       // also moves the clock, firing delayed work on time
class ManualDispatch final : public Dispatch {
public:
    explicit ManualDispatch(ManualClock& clock);

    void postMain(Task task) override;
    void postMainAfter(double delaySeconds, Task task) override;
    /// Runs everything that is due, moving the clock to each delayed task in turn, until
    /// `seconds` of clock time have passed.
    void runMainFor(double seconds) override;
    std::unique_ptr<TaskQueue> makeSerialQueue(std::string label) override;
    TaskQueue& concurrentQueue() override;
    /// Runs all queued background work, as runUntilIdle() does.
    void drainConcurrentQueue() override;

    /// Runs queued background work and due main-queue work without moving the clock.
    void runUntilIdle();
    /// Background tasks queued and not yet run.
    std::size_t pendingBackgroundTasks();

private:
    struct Delayed {
        double due;
        std::uint64_t sequence;
        Task task;
    };
    class Background;

    double elapsed();
    void enqueueBackground(Task task);
    /// Runs one background task or one due main task; false when nothing was runnable.
    bool runOne();

    ManualClock& clock_;
    std::mutex mutex_;
    std::deque<Task> background_;
    std::vector<Delayed> main_;
    std::uint64_t nextSequence_ = 0;
    std::unique_ptr<TaskQueue> concurrent_;
};

}  // namespace zerlith::platform
