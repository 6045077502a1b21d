// Enumeration on a large simulated desktop: the window join over 2,000 windows of 40
// applications (goal: under 5 ms warm), and one blocking refresh of every snapshot source with
// 500 browser tabs on top. Run with --benchmark_repetitions to read medians.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <variant>

#include <nlohmann/json.hpp>

#include "cache/snapshot_store.hpp"
#include "platform/manual_dispatch.hpp"
#include "platform/platform.hpp"
#include "platform/sim/sim_desktop.hpp"
#include "sources/window_source.hpp"

namespace {

using namespace zerlith;
using nlohmann::json;

constexpr int kApplications = 40;
constexpr int kWindowsPerApplication = 50;
constexpr int kChromeTabs = 300;
constexpr int kSafariTabs = 200;
constexpr int kTabsPerWindow = 25;

json rect(double x, double y, double w, double h) { return {{"x", x}, {"y", y}, {"w", w}, {"h", h}}; }

/// Windows interleaved across applications as a real stack is; one in five on another Space
/// (no accessibility element), one in seven with an unsaved-changes marker, a few repeated titles.
json windows() {
    json list = json::array();
    for (int i = 0; i < kApplications * kWindowsPerApplication; ++i) {
        const int app = i % kApplications;
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

json apps() {
    json list = json::array();
    for (int app = 0; app < kApplications; ++app) {
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

json desktop(bool withBrowsers) {
    json result = {{"screens",
                    {{{"name", "Built-in Display"}, {"frame", rect(0, 0, 1728, 1117)}},
                     {{"name", "External"}, {"frame", rect(1728, 0, 2560, 1440)}}}},
                   {"apps", apps()},
                   {"windows", windows()}};
    if (withBrowsers) {
        addBrowser(result, 901, "com.google.Chrome", kChromeTabs, 50'000);
        addBrowser(result, 902, "com.apple.Safari", kSafariTabs, 60'000);
    }
    return result;
}

/// The simulated desktop installed as the platform for one benchmark.
class Desktop {
public:
    explicit Desktop(bool withBrowsers)
        : dispatch_(clock_),
          desktop_(std::get<sim::DesktopModel>(sim::parseDesktop(desktop(withBrowsers).dump(), "bench")),
                   clock_, dispatch_),
          installed_(desktop_) {}

private:
    platform::ManualClock clock_;
    platform::ManualDispatch dispatch_;
    sim::SimDesktop desktop_;
    platform::ScopedPlatform installed_;
};

void BM_WindowEnumerationWarm(benchmark::State& state) {
    Desktop installed(false);
    std::size_t count = WindowSource::enumerate().size();  // the cold pass is not measured
    for (auto _ : state) {
        count = WindowSource::enumerate().size();
        benchmark::DoNotOptimize(count);
    }
    state.counters["targets"] = static_cast<double>(count);
}
BENCHMARK(BM_WindowEnumerationWarm)->Unit(benchmark::kMillisecond);

void BM_SnapshotRefreshAllSources(benchmark::State& state) {
    Desktop installed(true);
    SnapshotStore store;
    std::size_t count = 0;
    for (auto _ : state) {
        count = store.refreshAllBlocking().size();
        benchmark::DoNotOptimize(count);
    }
    state.counters["targets"] = static_cast<double>(count);
}
BENCHMARK(BM_SnapshotRefreshAllSources)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
