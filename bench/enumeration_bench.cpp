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

namespace {

using namespace zerlith;
using nlohmann::json;

constexpr int kChromeTabs = 300;
constexpr int kSafariTabs = 200;
constexpr int kTabsPerWindow = 25;

json rect(double x, double y, double w, double h) { return {{"x", x}, {"y", y}, {"w", w}, {"h", h}}; }

/// Windows interleaved across applications as a real stack is; one in five on another Space
/// (no accessibility element), one in seven with an unsaved-changes marker, a few repeated titles.
json windows(int count, int applications) {
    json list = json::array();
    for (int i = 0; i < count; ++i) {
        const int app = i % applications;
        std::string title = "Document " + std::to_string(i % 1500) + " \u2014 Project " + std::to_string(app);
        if (i % 7 == 0) title = "\u25CF " + title;
        json window = {{"number", 1000 + i},
                       {"pid", 100 + app},
                       {"title", title},
                       {"frame", rect(20.0 * (i % 60), 15.0 * (i % 40), 800 + i % 300, 600 + i % 200)}};
        if (i % 5 == 0) window["onscreen"] = false;
        list.push_back(std::move(window));
    }
    return list;
}

json apps(int applications) {
    json list = json::array();
    for (int app = 0; app < applications; ++app) {
        list.push_back({{"pid", 100 + app},
                        {"name", "Application " + std::to_string(app)},
                        {"bundleID", "com.example.app" + std::to_string(app)}});
    }
    return list;
}

void addBrowser(json& desktop, int pid, const std::string& bundleID, int tabs, int firstNumber) {
    desktop["apps"].push_back({{"pid", pid}, {"bundleID", bundleID}});
    for (int first = 0; first < tabs; first += kTabsPerWindow) {
        json tabList = json::array();
        for (int t = first; t < first + kTabsPerWindow && t < tabs; ++t) {
            tabList.push_back({{"title", "Pull request " + std::to_string(t)},
                               {"url", "https://github.com/owner/repo/pull/" + std::to_string(10000 + t)}});
        }
        desktop["windows"].push_back({{"number", firstNumber + first},
                                      {"pid", pid},
                                      {"frame", rect(0, 0, 1200, 800)},
                                      {"tabs", tabList}});
    }
}

json desktop(int windowCount, int applications, bool withBrowsers) {
    json result = {{"screens",
                    {{{"name", "Built-in Display"}, {"frame", rect(0, 0, 1728, 1117)}},
                     {{"name", "External"}, {"frame", rect(1728, 0, 2560, 1440)}}}},
                   {"apps", apps(applications)},
                   {"windows", windows(windowCount, applications)}};
    if (withBrowsers) {
        addBrowser(result, 901, "com.google.Chrome", kChromeTabs, 50'000);
        addBrowser(result, 902, "com.apple.Safari", kSafariTabs, 60'000);
    }
    return result;
}

/// The simulated desktop installed as the platform for one benchmark.
class Desktop {
public:
    Desktop(int windowCount, int applications, bool withBrowsers)
        : dispatch_(clock_),
          desktop_(std::get<sim::DesktopModel>(
                       sim::parseDesktop(desktop(windowCount, applications, withBrowsers).dump(), "bench")),
                   clock_, dispatch_),
          installed_(desktop_) {}

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
    UsageStore usage(std::nullopt);
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
