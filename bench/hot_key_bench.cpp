// The palette hot key on a real X session with 1,000 windows: from an XTest press of Alt+Space to
// the moment the palette has the keyboard focus (its first frame follows within milliseconds),
// the median of the runs. Each run also types a letter 1 ms after the hot key and confirms with
// Return (again, should the palette still be ranking): the window that letter alone matches must
// become active, else the letter was lost. A run starts 100 ms after the previous switch.
//
//     build/bench/hot_key_bench build/src/app/zerlith [RUNS]     (default: 30 runs)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <xcb/xcb.h>

#include "active_window.hpp"
#include "support/child_process.hpp"
#include "support/temp_folder.hpp"
#include "support/scoped_environment.hpp"
#include "x11/support/x_session.hpp"
#include "xtest_keyboard.hpp"

namespace {

using namespace zerlith::x11::testing;
using namespace zerlith::bench;

constexpr int kDefaultRuns = 30;
constexpr int kWindows = 1000;

struct Run {
    std::optional<double> shown;  ///< milliseconds from the hot key to the palette's focus
    bool kept = false;            ///< the letter typed right after the hot key chose the window
};

/// The hot key, a letter 1 ms after it, and Return until the window that letter alone matches
/// is active (the palette may still be ranking when the first Return comes).
Run switchByLetter(XProbe& probe, bool quokka, Clock::duration focusLimit = std::chrono::seconds(5)) {
    Run run;
    const auto start = Clock::now();
    pressHotKey(probe.raw());
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    tap(probe.raw(), quokka ? kQ : kZ);
    xcb_flush(probe.raw());
    run.shown = waitForFocus(probe, "Zerlith Switcher", start, focusLimit);
    for (int attempt = 0; attempt < 3 && !run.kept; ++attempt) {
        tap(probe.raw(), kReturn);
        xcb_flush(probe.raw());
        run.kept = waitForActive(probe, quokka ? "Quokka" : "Zebu", Clock::now(), std::chrono::milliseconds(700))
                       .has_value();
    }
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc == 3 ? std::atoi(argv[2]) : kDefaultRuns;
    if ((argc != 2 && argc != 3) || runs <= 0) {
        std::fprintf(stderr, "usage: hot_key_bench PATH-TO-ZERLITH [RUNS]\n");
        return 2;
    }
    XSession session;
    zerlith::testing::TempFolder runtime;
    ScopedEnvironment environment;
    environment.set("XDG_RUNTIME_DIR", runtime.path().string());
    environment.set("ZERLITH_DESKTOP", std::nullopt);

    std::vector<std::string> arguments;
    for (int i = 0; i < kWindows - 2; ++i) arguments.insert(arguments.end(), {"--title", "Window " + std::to_string(i)});
    arguments.insert(arguments.end(), {"--title", "Quokka", "--title", "Zebu"});
    TestWindows windows(arguments);
    session.waitUntilManaged(windows.ids(), 60.0);
    zerlith::testing::ChildProcess zerlith({argv[1]}, {});
    XProbe& probe = session.probe();
    // Start-up and the first listing of the windows are not what is measured: the switch works
    // once before the runs start.
    const auto ready = Clock::now() + std::chrono::seconds(60);
    while (!switchByLetter(probe, false, std::chrono::seconds(30)).kept && Clock::now() < ready)
        std::this_thread::sleep_for(std::chrono::milliseconds(500));

    std::vector<double> latencies;
    int kept = 0;
    for (int i = 0; i < runs; ++i) {
        const auto run = switchByLetter(probe, i % 2 == 0);
        if (run.shown) latencies.push_back(*run.shown);
        kept += run.kept ? 1 : 0;
        std::fprintf(stderr, "run %2d: palette %s, letter %s\n", i,
                     run.shown ? (std::to_string(*run.shown) + " ms").c_str() : "not shown", run.kept ? "kept" : "lost");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::sort(latencies.begin(), latencies.end());
    if (latencies.empty()) {
        std::printf("the palette never showed\n");
        return 1;
    }
    std::printf("hot key to palette, %d windows: median %.1f ms, min %.1f, max %.1f (%zu of %d shown)\n", kWindows,
                latencies[latencies.size() / 2], latencies.front(), latencies.back(), latencies.size(), runs);
    std::printf("letter typed 1 ms after the hot key kept: %d of %d\n", kept, runs);
    return 0;
}
