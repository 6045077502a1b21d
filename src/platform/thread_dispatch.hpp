#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/dispatch.hpp"

namespace zerlith::platform {

/// Dispatch on real threads and real time: a worker thread per serial queue and a small pool
/// for the concurrent queue.
class ThreadDispatch final : public Dispatch {
public:
    explicit ThreadDispatch(unsigned concurrentWorkers = 4);
    ~ThreadDispatch() override;

    void postMain(Task task) override;
    void postMainAfter(double delaySeconds, Task task) override;
    void runMainFor(double seconds) override;
    std::unique_ptr<TaskQueue> makeSerialQueue(std::string label) override;
    TaskQueue& concurrentQueue() override;
    void drainConcurrentQueue() override;

private:
    class WorkerQueue;
    using TimePoint = std::chrono::steady_clock::time_point;

    std::mutex mainMutex_;
    std::condition_variable mainChanged_;
    std::multimap<TimePoint, Task> mainTasks_;  // equal times keep their posting order
    std::unique_ptr<WorkerQueue> concurrent_;
};

}  // namespace zerlith::platform
