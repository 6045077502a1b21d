#pragma once

#include <cstdint>
#include <utility>

#include "platform/platform.hpp"

namespace zerlith::CLI {

/// Runs `work` and returns how long it took in milliseconds on the platform's monotonic clock
/// (the unsigned nanosecond difference as a double), with what it returned.
template <class Work>
auto timed(Work&& work) {
    auto& clock = platform::current().clock();
    const std::uint64_t start = clock.monotonicNanos();
    auto result = std::forward<Work>(work)();
    const double milliseconds = static_cast<double>(clock.monotonicNanos() - start) / 1'000'000.0;
    return std::pair{milliseconds, std::move(result)};
}

}  // namespace zerlith::CLI
