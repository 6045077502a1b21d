#include "platform/clock.hpp"

#include <chrono>
#include <thread>

namespace zerlith::platform {

double SystemClock::now() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

std::uint64_t SystemClock::monotonicNanos() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count());
}

void SystemClock::sleep(double seconds) {
    if (seconds > 0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

ManualClock::ManualClock(double startNow) : wall_(startNow) {}

double ManualClock::now() {
    std::lock_guard lock(mutex_);
    return wall_;
}

std::uint64_t ManualClock::monotonicNanos() {
    std::lock_guard lock(mutex_);
    return static_cast<std::uint64_t>(elapsed_ * 1e9);
}

void ManualClock::sleep(double seconds) { advance(seconds); }

void ManualClock::advance(double seconds) {
    if (!(seconds > 0)) return;
    std::lock_guard lock(mutex_);
    wall_ += seconds;
    elapsed_ += seconds;
}

void ManualClock::setNow(double now) {
    std::lock_guard lock(mutex_);
    wall_ = now;
}

}  // namespace zerlith::platform
