// Zerlith against rofi on one X session (Xvfb, two monitors, openbox) at growing numbers of
// windows. Zerlith runs resident; rofi is started per opening, as a desktop's key binding would.
//   - opening: XTest Alt+Space, and a spawned `zerlith --palette`, until the palette has the
//     keyboard focus (openbox names it the active window a while later); a spawned `rofi -show window` until its window is mapped and holds the keyboard;
//   - keystroke to frame: an XTest "w" in the open palette or rofi until that window is next drawn
//     into (DAMAGE), after it was still for 100 ms;
//   - resident memory (VmRSS) of the Zerlith process and of rofi while open.
// Prints median [min–max] per side and the ratio of the medians, Zerlith / rofi.
//
//     build/bench/vs_rofi_bench ZERLITH ROFI "200 1000" RUNS      (bench/vs-rofi runs it)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <xcb/xcb.h>

#include "active_window.hpp"
#include "process_watch.hpp"
#include "support/child_process.hpp"
#include "support/first_launch.hpp"
#include "support/temp_folder.hpp"
#include "support/scoped_environment.hpp"
#include "x11/support/x_session.hpp"
#include "x_watch.hpp"
#include "xtest_keyboard.hpp"

namespace {

using namespace zerlith::bench;
using namespace zerlith::x11::testing;
using namespace std::chrono_literals;
using zerlith::testing::ChildProcess;

constexpr const char* kPaletteTitle = "Zerlith Switcher";

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

/// Measurements of one kind; `missed` counts the runs that produced none.
struct Samples {
    std::vector<double> values;
    int missed = 0;

    void add(std::optional<double> value) {
        if (value) values.push_back(*value);
        else ++missed;
    }
    double median() const {
        auto sorted = values;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0.0 : sorted[sorted.size() / 2];
    }
    /// Every value, in order, for a look at their spread.
    std::string all() const {
        auto sorted = values;
        std::sort(sorted.begin(), sorted.end());
        std::string text;
        for (double value : sorted) text += " " + std::to_string(value).substr(0, 5);
        return text;
    }
    std::string summary(const char* unit) const {
        if (values.empty()) return "none";
        char text[96];
        const auto [low, high] = std::minmax_element(values.begin(), values.end());
        std::snprintf(text, sizeof text, "%.1f %s [%.1f–%.1f]%s", median(), unit, *low, *high,
                      missed ? (" " + std::to_string(missed) + " missed").c_str() : "");
        return text;
    }
};

/// One row of the table: Zerlith's samples against rofi's, and each side's values on standard
/// error. (A summary's en dash is three bytes
/// wide in UTF-8 and one column on screen.)
void printRow(const char* what, const Samples& zerlith, const Samples& rofi, const char* unit) {
    const double ratio = rofi.median() > 0 ? zerlith.median() / rofi.median() : 0.0;
    std::printf("  %-34s %-36s %-36s %.2f\n", what, zerlith.summary(unit).c_str(), rofi.summary(unit).c_str(), ratio);
    std::fprintf(stderr, "%s, Zerlith:%s\n%s, rofi:%s\n", what, zerlith.all().c_str(), what, rofi.all().c_str());
}

struct Results {
    Samples hotKey, clientPath, rofiOpen, zerlithKeystroke, rofiKeystroke, zerlithMemory, rofiMemory;
};

class Bench {
public:
    Bench(XSession& session, const std::string& zerlith, const std::string& rofi)
        : probe_(session.probe()), watch_(session.display()), zerlithPath_(zerlith), rofiPath_(rofi) {}

    /// Starts Zerlith, past its first launch, and opens and closes the palette once: start-up
    /// and the first listing are not what is measured.
    void startZerlith() {
        zerlith::testing::skipFirstLaunch();
        zerlith_ = std::make_unique<ChildProcess>(std::vector<std::string>{zerlithPath_}, ChildProcess::Options{});
        for (bool shown = false; !shown;) {
            std::this_thread::sleep_for(500ms);
            pressHotKey(probe_.raw());
            shown = waitForFocus(probe_, kPaletteTitle, Clock::now(), 30s).has_value();
        }
        closeZerlith();
    }

    pid_t zerlithPid() const { return zerlith_->pid(); }

    void run(Results& results) {
        auto start = Clock::now();
        pressHotKey(probe_.raw());
        const auto shown = waitForFocus(probe_, kPaletteTitle, start);
        results.hotKey.add(shown);
        results.zerlithKeystroke.add(shown ? keystrokeToFrame(probe_.focusedWindow()) : std::nullopt);
        results.zerlithMemory.add(residentMegabytes(zerlith_->pid()));
        closeZerlith();

        start = Clock::now();
        ChildProcess client({zerlithPath_, "--palette"}, ChildProcess::Options{});
        results.clientPath.add(waitForFocus(probe_, kPaletteTitle, start));
        client.wait(5.0);
        closeZerlith();

        runRofi(results);
    }

private:
    void runRofi(Results& results) {
        watch_.watchMaps(true);
        const auto start = Clock::now();
        ChildProcess rofi({rofiPath_, "-show", "window"}, ChildProcess::Options{});
        const auto deadline = start + 10s;
        const auto window = watch_.nextOverrideRedirectMap(deadline);
        watch_.watchMaps(false);
        bool grabbed = false;
        while (window && !(grabbed = watch_.keyboardTaken()) && Clock::now() < deadline)
            std::this_thread::sleep_for(100us);
        results.rofiOpen.add(grabbed ? std::optional(millisecondsBetween(start, Clock::now())) : std::nullopt);
        results.rofiKeystroke.add(grabbed ? keystrokeToFrame(window) : std::nullopt);
        results.rofiMemory.add(residentMegabytes(rofi.pid()));
        tap(probe_.raw(), kEscape);
        xcb_flush(probe_.raw());
        if (!rofi.wait(5.0)) std::fprintf(stderr, "rofi did not close on Escape\n");
    }

    /// Types "w" into `window` once it has been still for a while: the milliseconds until it is
    /// next drawn into.
    std::optional<double> keystrokeToFrame(std::optional<xcb_window_t> window) {
        if (!window) return std::nullopt;
        watch_.watchDamage(*window);
        if (!watch_.settle(100ms, Clock::now() + 2s)) std::fprintf(stderr, "window 0x%x kept drawing\n", *window);
        const auto start = Clock::now();
        tap(probe_.raw(), kW);
        xcb_flush(probe_.raw());
        const auto drawn = watch_.nextDamage(start + 2s);
        if (!drawn) return std::nullopt;
        return millisecondsBetween(start, *drawn);
    }

    /// Escape in the palette, then waits until it no longer has the keyboard.
    void closeZerlith() {
        tap(probe_.raw(), kEscape);
        xcb_flush(probe_.raw());
        const bool closed = eventually([&] {
            const auto focus = probe_.focusedWindow();
            return !focus || nameOf(probe_, *focus) != kPaletteTitle;
        });
        if (!closed) std::fprintf(stderr, "the palette did not close on Escape\n");
        std::this_thread::sleep_for(50ms);
    }

    XProbe& probe_;
    XWatch watch_;
    std::string zerlithPath_, rofiPath_;
    std::unique_ptr<ChildProcess> zerlith_;
};

/// Window arguments for the test-window program: windows `from` to `to` - 1 of 25 applications.
std::vector<std::string> windowArguments(int from, int to) {
    std::vector<std::string> arguments;
    for (int i = from; i < to; ++i) {
        const auto app = std::to_string(i % 25);
        arguments.insert(arguments.end(), {"--title", "Bench window " + std::to_string(i), "--class",
                                           "app" + app + ",App" + app, "--pid", std::to_string(20000 + i % 25)});
    }
    return arguments;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: vs_rofi_bench PATH-TO-ZERLITH PATH-TO-ROFI \"COUNTS\" RUNS\n");
        return 2;
    }
    std::vector<int> counts;
    std::istringstream countText(argv[3]);
    for (int count; countText >> count;) counts.push_back(count);
    const int runs = std::atoi(argv[4]);

    XSession session;
    zerlith::testing::TempFolder runtime;
    ScopedEnvironment environment;
    environment.set("XDG_RUNTIME_DIR", runtime.path().string());
    environment.set("ZERLITH_DESKTOP", std::nullopt);
    Bench bench(session, argv[1], argv[2]);
    const auto windowManager = childNamed("openbox");

    std::vector<std::unique_ptr<TestWindows>> windows;
    int mapped = 0;
    for (int count : counts) {
        windows.push_back(std::make_unique<TestWindows>(windowArguments(mapped, count)));
        if (!session.waitUntilManaged(windows.back()->ids(), 1800.0)) {
            std::fprintf(stderr, "openbox did not manage %d windows\n", count);
            return 1;
        }
        mapped = count;
        if (windows.size() == 1) bench.startZerlith();
        // Neither the server, openbox nor Zerlith may still be busy with the new windows while timed.
        waitUntilIdle({session.server().pid(), windowManager.value_or(-1), bench.zerlithPid()});

        Results results;
        for (int run = 0; run < runs; ++run) bench.run(results);
        const auto heading = std::to_string(count) + " windows, " + std::to_string(runs) + " runs";
        std::printf("%-36s %-34s %-34s %s\n", heading.c_str(), "Zerlith", "rofi -show window", "Zerlith/rofi");
        printRow("open (hot key; spawned rofi)", results.hotKey, results.rofiOpen, "ms");
        printRow("open (zerlith --palette; rofi)", results.clientPath, results.rofiOpen, "ms");
        printRow("keystroke to next frame", results.zerlithKeystroke, results.rofiKeystroke, "ms");
        printRow("resident memory while open", results.zerlithMemory, results.rofiMemory, "MiB");
        std::fflush(stdout);
    }
    return 0;
}
