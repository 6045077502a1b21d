#include "platform/manual_dispatch.hpp"

#include <algorithm>

namespace zerlith::platform {

class ManualDispatch::Background final : public TaskQueue {
public:
    explicit Background(ManualDispatch& owner) : owner_(owner) {}
    void async(Task task) override { owner_.enqueueBackground(std::move(task)); }

private:
    ManualDispatch& owner_;
};

ManualDispatch::ManualDispatch(ManualClock& clock)
    : clock_(clock), concurrent_(std::make_unique<Background>(*this)) {}

double ManualDispatch::elapsed() { return static_cast<double>(clock_.monotonicNanos()) / 1e9; }

void ManualDispatch::postMain(Task task) { postMainAfter(0, std::move(task)); }

void ManualDispatch::postMainAfter(double delaySeconds, Task task) {
    const double due = elapsed() + std::max(0.0, delaySeconds);
    std::lock_guard lock(mutex_);
    main_.push_back({due, nextSequence_++, std::move(task)});
}

void ManualDispatch::enqueueBackground(Task task) {
    std::lock_guard lock(mutex_);
    background_.push_back(std::move(task));
}

std::unique_ptr<TaskQueue> ManualDispatch::makeSerialQueue(std::string /*label*/) {
    return std::make_unique<Background>(*this);
}

void ManualDispatch::drainConcurrentQueue() { runUntilIdle(); }

TaskQueue& ManualDispatch::concurrentQueue() { return *concurrent_; }

std::size_t ManualDispatch::pendingBackgroundTasks() {
    std::lock_guard lock(mutex_);
    return background_.size();
}

bool ManualDispatch::runOne() {
    Task task;
    {
        std::lock_guard lock(mutex_);
        if (!background_.empty()) {
            task = std::move(background_.front());
            background_.pop_front();
        } else {
            const double now = static_cast<double>(clock_.monotonicNanos()) / 1e9;
            auto next = std::min_element(main_.begin(), main_.end(), [](const auto& a, const auto& b) {
                return a.due != b.due ? a.due < b.due : a.sequence < b.sequence;
            });
            if (next == main_.end() || next->due > now) return false;
            task = std::move(next->task);
            main_.erase(next);
        }
    }
    task();
    return true;
}

void ManualDispatch::runUntilIdle() {
    while (runOne()) {
    }
}

void ManualDispatch::runMainFor(double seconds) {
    const double end = elapsed() + std::max(0.0, seconds);
    for (;;) {
        runUntilIdle();
        double nextDue = end;
        {
            std::lock_guard lock(mutex_);
            for (const auto& item : main_) nextDue = std::min(nextDue, item.due);
        }
        const double now = elapsed();
        if (nextDue > now) clock_.advance(nextDue - now);
        if (nextDue >= end) {
            runUntilIdle();
            return;
        }
    }
}

}  // namespace zerlith::platform
