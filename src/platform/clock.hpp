#pragma once

#include <cstdint>
#include <mutex>

namespace zerlith::platform {

/// Time as the core sees it: every wait, timeout and "now" goes through a clock, so tests can
/// drive time without sleeping. Any thread.
class Clock {
public:
    virtual ~Clock() = default;

    /// Wall time in seconds since 1970-01-01 00:00 UTC.
    virtual double now() = 0;
    /// A monotonic reading in nanoseconds, for durations.
    virtual std::uint64_t monotonicNanos() = 0;
    /// Blocks the calling thread for a duration in seconds.
    virtual void sleep(double seconds) = 0;
};

/// The real clock.
class SystemClock final : public Clock {
public:
    double now() override;
    std::uint64_t monotonicNanos() override;
    void sleep(double seconds) override;
};

/// A clock that only moves when told: sleep() advances it at once instead of waiting.
class ManualClock final : public Clock {
public:
    explicit ManualClock(double startNow = 1'700'000'000.0);

    double now() override;
    std::uint64_t monotonicNanos() override;
    void sleep(double seconds) override;

    /// Moves both readings forward (negative values are ignored).
    void advance(double seconds);
    /// Sets the wall reading only, as when the user changes the system time.
    void setNow(double now);

private:
    std::mutex mutex_;
    double wall_;
    double elapsed_ = 0;
};

/// A clock whose wall reading is pinned (a simulated desktop's "now"); durations and sleeps pass
/// through to another clock.
class PinnedWallClock final : public Clock {
public:
    PinnedWallClock(Clock& inner, double now) : inner_(inner), now_(now) {}

    double now() override { return now_; }
    std::uint64_t monotonicNanos() override { return inner_.monotonicNanos(); }
    void sleep(double seconds) override { inner_.sleep(seconds); }

private:
    Clock& inner_;
    double now_;
};

}  // namespace zerlith::platform
