#include "platform/thread_dispatch.hpp"

namespace zerlith::platform {

/// Worker threads draining one shared FIFO; one worker makes a serial queue.
class ThreadDispatch::WorkerQueue final : public TaskQueue {
public:
    explicit WorkerQueue(unsigned workers) {
        for (unsigned i = 0; i < workers; ++i) threads_.emplace_back([this] { work(); });
    }

    ~WorkerQueue() override {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        for (auto& thread : threads_) thread.join();
    }

    void async(Task task) override {
        {
            std::lock_guard lock(mutex_);
            tasks_.push_back(std::move(task));
        }
        changed_.notify_one();
    }

    void waitUntilIdle() {
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [this] { return tasks_.empty() && running_ == 0; });
    }

private:
    void work() {
        for (;;) {
            Task task;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
                if (tasks_.empty()) return;  // stopping, and everything queued has run
                task = std::move(tasks_.front());
                tasks_.pop_front();
                ++running_;
            }
            task();
            {
                std::lock_guard lock(mutex_);
                --running_;
            }
            idle_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::condition_variable idle_;
    std::deque<Task> tasks_;
    unsigned running_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

ThreadDispatch::ThreadDispatch(unsigned concurrentWorkers)
    : concurrent_(std::make_unique<WorkerQueue>(concurrentWorkers)) {}

ThreadDispatch::~ThreadDispatch() = default;

void ThreadDispatch::postMain(Task task) { postMainAfter(0, std::move(task)); }

void ThreadDispatch::postMainAfter(double delaySeconds, Task task) {
    const auto due = std::chrono::steady_clock::now() +
                     std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                         std::chrono::duration<double>(delaySeconds > 0 ? delaySeconds : 0));
    {
        std::lock_guard lock(mainMutex_);
        mainTasks_.emplace(due, std::move(task));
    }
    mainChanged_.notify_all();
}

void ThreadDispatch::runMainFor(double seconds) {
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                         std::chrono::duration<double>(seconds > 0 ? seconds : 0));
    std::unique_lock lock(mainMutex_);
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        if (!mainTasks_.empty() && mainTasks_.begin()->first <= now) {
            Task task = std::move(mainTasks_.begin()->second);
            mainTasks_.erase(mainTasks_.begin());
            lock.unlock();
            task();
            lock.lock();
            continue;
        }
        if (now >= end) return;
        const auto wakeUp = mainTasks_.empty() ? end : std::min(end, mainTasks_.begin()->first);
        mainChanged_.wait_until(lock, wakeUp);
    }
}

std::unique_ptr<TaskQueue> ThreadDispatch::makeSerialQueue(std::string /*label*/) {
    return std::make_unique<WorkerQueue>(1);
}

TaskQueue& ThreadDispatch::concurrentQueue() { return *concurrent_; }

void ThreadDispatch::drainConcurrentQueue() { concurrent_->waitUntilIdle(); }

}  // namespace zerlith::platform
