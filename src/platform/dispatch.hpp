#pragma once

#include <functional>
#include <memory>
#include <string>

namespace zerlith::platform {

using Task = std::function<void()>;

/// A queue that runs tasks off the calling thread.
class TaskQueue {
public:
    virtual ~TaskQueue() = default;
    virtual void async(Task task) = 0;
};

/// The main queue and the background queues. The main queue's work runs only inside
/// runMainFor(), on the thread that calls it (the main thread).
class Dispatch {
public:
    virtual ~Dispatch() = default;

    /// Any thread.
    virtual void postMain(Task task) = 0;
    /// Any thread: runs the task on the main queue once `delaySeconds` have passed.
    virtual void postMainAfter(double delaySeconds, Task task) = 0;
    /// Main thread only: performs main-queue work for `seconds`, then returns.
    virtual void runMainFor(double seconds) = 0;

    /// A new queue that runs its tasks one at a time, in order. The label names it for
    /// debugging. Destroying it waits for the tasks already queued.
    virtual std::unique_ptr<TaskQueue> makeSerialQueue(std::string label) = 0;
    /// The global concurrent queue: tasks may run at the same time as each other.
    virtual TaskQueue& concurrentQueue() = 0;
    /// Main thread: returns once the work already queued on the concurrent queue has run, so that
    /// a quitting application can tear down what that work uses.
    virtual void drainConcurrentQueue() = 0;
};

}  // namespace zerlith::platform
