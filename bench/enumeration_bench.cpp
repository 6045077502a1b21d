// Enumeration on a large simulated desktop: the window join over 2,000 windows of 40
// applications (goal: under 5 ms warm), and one blocking refresh of every snapshot source with
// 500 browser tabs on top. Then the growth with the number of windows, 1,000 to 50,000 in 50
// applications: the warm window join (goal: 20 ms at 10,000) and the whole dump, two refreshes,
// ranking and JSON (goal: 100 ms at 10,000); both should grow linearly.
// Run with --benchmark_repetitions to read medians.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <variant>

#include <nlohmann/json.hpp>

#include "cache/snapshot_store.hpp"
#include "cli/dump.hpp"
#include "platform/manual_dispatch.hpp"
#include "platform/platform.hpp"
#include "platform/sim/sim_desktop.hpp"
#include "ranking/usage_store.hpp"
#include "sources/window_source.hpp"
#include "system/usage_context.hpp"
#include "large_desktop.hpp"

namespace {

using namespace zerlith;
using nlohmann::json;

/// The simulated desktop installed as the platform for one benchmark.
class Desktop {
public:
    Desktop(int windowCount, int applications, bool withBrowsers)
        : dispatch_(clock_),
          desktop_(std::get<sim::DesktopModel>(
                       sim::parseDesktop(bench::largeDesktop(windowCount, applications, withBrowsers).dump(), "bench")),
                   clock_, dispatch_),
          installed_(desktop_) {}

    platform::Clock& clock() { return clock_; }
    platform::Dispatch& dispatch() { return dispatch_; }

private:
    platform::ManualClock clock_;
    platform::ManualDispatch dispatch_;
    sim::SimDesktop desktop_;
    platform::ScopedPlatform installed_;
};

/// Arguments: windows, applications.
void BM_WindowEnumerationWarm(benchmark::State& state) {
    Desktop installed(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), false);
    std::size_t count = WindowSource::enumerate().size();  // the cold pass is not measured
    for (auto _ : state) {
        count = WindowSource::enumerate().size();
        benchmark::DoNotOptimize(count);
    }
    state.counters["targets"] = static_cast<double>(count);
}
BENCHMARK(BM_WindowEnumerationWarm)
    ->Args({2'000, 40})
    ->Args({1'000, 50})
    ->Args({10'000, 50})
    ->Args({50'000, 50})
    ->Unit(benchmark::kMillisecond);

void BM_SnapshotRefreshAllSources(benchmark::State& state) {
    Desktop installed(2'000, 40, true);
    SnapshotStore store;
    std::size_t count = 0;
    for (auto _ : state) {
        count = store.refreshAllBlocking().size();
        benchmark::DoNotOptimize(count);
    }
    state.counters["targets"] = static_cast<double>(count);
}
BENCHMARK(BM_SnapshotRefreshAllSources)->Unit(benchmark::kMillisecond);

/// What `zerlith --dump` does after start; argument: windows, in 50 applications.
void BM_WholeDump(benchmark::State& state) {
    Desktop installed(static_cast<int>(state.range(0)), 50, false);
    SnapshotStore store;
    UsageStore usage(std::nullopt, installed.clock(), installed.dispatch(), UsageContext::currentKey);
    std::size_t bytes = 0;
    for (auto _ : state) {
        bytes = Dump::dumpJSON(store, usage).size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_WholeDump)->Arg(1'000)->Arg(10'000)->Arg(50'000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
