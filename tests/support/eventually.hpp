#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace zerlith::testing {

/// Polls `condition` until it holds or `seconds` pass: display servers, window managers and
/// compositors act in their own time, so this is the one kind of waiting on real time the tests do.
inline bool eventually(const std::function<bool()>& condition, double seconds = 5.0) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace zerlith::testing
