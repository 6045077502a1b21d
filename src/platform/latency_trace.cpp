#include "platform/latency_trace.hpp"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace zerlith::platform::latency {
namespace {

using Clock = std::chrono::steady_clock;

const bool kEnabled = std::getenv("ZERLITH_TRACE_LATENCY") != nullptr;
std::atomic<Clock::rep> started{0};

void print(double milliseconds, std::string_view stage) {
    // One write a line, so that lines of two threads never interleave.
    std::fprintf(stderr, "zerlith: latency %8.2f ms  %.*s\n", milliseconds, static_cast<int>(stage.size()),
                 stage.data());
}

}  // namespace

void start(std::string_view what) {
    if (!kEnabled) return;
    started = Clock::now().time_since_epoch().count();
    print(0, what);
}

void mark(std::string_view stage) {
    if (!kEnabled) return;
    const Clock::duration since = Clock::now().time_since_epoch() - Clock::duration(started.load());
    print(std::chrono::duration<double, std::milli>(since).count(), stage);
}

}  // namespace zerlith::platform::latency
