#pragma once

#include <algorithm>
#include <chrono>

namespace zerlith::x11 {

/// A point in real time after which waiting for the X server stops. Replies arrive over a
/// socket, so this is I/O time, not the platform clock the core's own delays run on.
class Deadline {
public:
    static Deadline after(double seconds) {
        auto span = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
        return Deadline(Clock::now() + span);
    }

    bool passed() const { return Clock::now() >= at_; }

    /// Whole milliseconds left, rounded up, never negative.
    int remainingMillis() const {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(at_ - Clock::now()).count();
        return static_cast<int>(std::clamp<long long>(left, 0, 1'000'000));
    }

private:
    using Clock = std::chrono::steady_clock;
    explicit Deadline(Clock::time_point at) : at_(at) {}
    Clock::time_point at_;
};

}  // namespace zerlith::x11
