#pragma once

#include "platform/thread_dispatch.hpp"

namespace zerlith::qt {

/// Dispatch for the application: the main queue is the Qt event loop of this thread (posted work
/// and timers run between events, so nothing polls), the background queues are threads.
/// Construct on the main thread after the Qt application object.
class QtDispatch final : public platform::Dispatch {
public:
    void postMain(platform::Task task) override;
    void postMainAfter(double delaySeconds, platform::Task task) override;
    /// Runs a nested event loop for `seconds`.
    void runMainFor(double seconds) override;
    std::unique_ptr<platform::TaskQueue> makeSerialQueue(std::string label) override;
    platform::TaskQueue& concurrentQueue() override;
    void drainConcurrentQueue() override;

private:
    platform::ThreadDispatch background_;
};

}  // namespace zerlith::qt
