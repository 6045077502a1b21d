// Ranking the whole target list when the palette opens: 10,000 targets against a history of
// 5,000 used targets. Goal: 2 ms or less.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/manual_dispatch.hpp"
#include "platform/platform.hpp"
#include "platform/sim/sim_desktop.hpp"
#include "ranking/scorer.hpp"

namespace {

using namespace zerlith;

constexpr int kTargets = 10'000;
constexpr int kUsedTargets = 5'000;
constexpr const char* kDesktop = R"({
    "screens": [
        {"name": "Built-in Display", "frame": {"x": 0, "y": 0, "w": 1440, "h": 900}},
        {"name": "External", "frame": {"x": 1440, "y": 0, "w": 2560, "h": 1440}}
    ],
    "pointer": {"x": 100, "y": 100}
})";

/// A title of three words from a small vocabulary, so titles repeat words and sometimes whole.
std::string titleFor(unsigned seed) {
    static const char* const kWords[] = {"Inbox",   "Résumé", "notes",   "Pull request", "main.cpp",
                                         "Weekly",  "budget", "Zerlith", "design review", "Café menu",
                                         "README",  "issue",  "Calendar", "draft",        "Docs"};
    constexpr unsigned kCount = sizeof kWords / sizeof kWords[0];
    seed = seed * 2654435761u;
    return std::string(kWords[seed % kCount]) + " " + kWords[(seed >> 8) % kCount] + " — " +
           kWords[(seed >> 16) % kCount];
}

/// Windows of a few dozen applications and Chrome tabs.
std::vector<Target> makeTargets() {
    std::vector<Target> targets;
    targets.reserve(kTargets);
    for (int i = 0; i < kTargets; ++i) {
        Target target;
        target.title = titleFor(static_cast<unsigned>(i));
        if (i % 3 == 0) {
            const std::string url = "https://example.com/page/" + std::to_string(i);
            target.kind = TargetKind::tab;
            target.bundleID = "com.google.Chrome";
            target.id = "tab:chrome:" + std::to_string(i % 40) + ":" + url;
            target.tab = TabRef{BrowserKind::chrome, i % 40, 1 + i % 25, url};
        } else {
            target.kind = TargetKind::window;
            target.bundleID = "com.example.app" + std::to_string(i % 37);
            target.id = "win:" + target.bundleID + ":" + target.title + "#" + std::to_string(i);
            target.screenName = i % 2 == 0 ? "Built-in Display" : "External";
            target.window = std::make_shared<WindowRef>();
        }
        targets.push_back(std::move(target));
    }
    return targets;
}

void rankTenThousandTargets(benchmark::State& state) {
    platform::ManualClock clock;
    platform::ManualDispatch dispatch(clock);
    auto model = std::get<sim::DesktopModel>(sim::parseDesktop(kDesktop, "bench"));
    sim::SimDesktop desktop(std::move(model), clock, dispatch);
    platform::ScopedPlatform installed(desktop);

    const auto targets = makeTargets();
    UsageStore usage(std::nullopt, clock, dispatch, {});
    const std::string contexts[] = {"com.example.app3|Inbox", "com.google.Chrome|Docs", "?"};
    for (int i = 0; i < kUsedTargets; ++i) {
        usage.record(targets[static_cast<std::size_t>(i * 2)].id, contexts[i % 3]);
        clock.advance(7);
    }

    // The caller hands over its own copy of the list and drops the result later: neither is timed.
    for (auto _ : state) {
        state.PauseTiming();
        auto input = targets;
        state.ResumeTiming();
        auto ranked = Scorer::rank(std::move(input), "com.example.app3|Inbox", std::nullopt, usage);
        benchmark::DoNotOptimize(ranked.data());
        state.PauseTiming();
        ranked.clear();
        state.ResumeTiming();
    }
}
BENCHMARK(rankTenThousandTargets)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
