// The palette on a display, as a person meets it: from the request reaching the running process
// to the first frame that shows the ranked list (goal: 30 ms at 10,000 targets), from a keystroke
// to the frame with the list filtered again (goal: 16 ms), and the resident size with 10,000
// targets and its growth over 1,000 openings (goal: none beyond noise). Medians of 30 runs.
//   palette_bench [TARGETS...]         default: 1000 10000
// Runs on the display Qt is given; bench/palette-open starts a private Xvfb.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QApplication>

#include "cache/snapshot_store.hpp"
#include "desktop/activation_log.hpp"
#include "large_desktop.hpp"
#include "palette/palette_controller.hpp"
#include "platform/sim/sim_desktop.hpp"
#include "qt/qt_dispatch.hpp"
#include "ranking/usage_store.hpp"
#include "system/usage_context.hpp"
#include "ui/palette_popup.hpp"

namespace {

using namespace zerlith;

constexpr int kRuns = 30;
constexpr int kOpeningsForMemory = 1000;
constexpr const char* kTyped = "doc 12";

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double residentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1e6;
}

/// Milliseconds from the start of `action` to the next frame of the view it returns.
double untilNextFrame(const std::function<ui::PaletteView&()>& action) {
    QElapsedTimer timer;
    timer.start();
    ui::PaletteView& view = action();
    QEventLoop loop;
    view.onPainted([&loop] { loop.quit(); });
    loop.exec();
    view.onPainted({});
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void settle() { QCoreApplication::processEvents(QEventLoop::AllEvents, 50); }

void measure(int targets) {
    platform::SystemClock clock;
    qt::QtDispatch dispatch;
    sim::SimDesktop desktop(
        std::get<sim::DesktopModel>(sim::parseDesktop(bench::largeDesktop(targets, 50, false).dump(), "bench")), clock,
        dispatch);
    platform::ScopedPlatform installed(desktop);
    ActivationLog log;
    SnapshotStore snapshots;
    UsageStore usage(std::nullopt, clock, dispatch, UsageContext::currentKey);
    IconCache icons;
    const auto listed = snapshots.refreshAllBlocking().size();

    ui::PalettePopup* window = nullptr;
    PaletteController controller(snapshots, usage, log, [&](PaletteController& palette) {
        auto made = std::make_unique<ui::PalettePopup>(palette, icons, desktop.provider().bringHereKeys);
        window = made.get();
        return made;
    });
    auto open = [&]() -> ui::PaletteView& {
        controller.show();
        return window->view();
    };
    const double cold = untilNextFrame(open);

    std::vector<double> openings;
    std::vector<double> keystrokes;
    for (int run = 0; run < kRuns; ++run) {
        controller.hide();
        settle();
        openings.push_back(untilNextFrame(open));
        settle();
        const std::string typed = kTyped;
        for (std::size_t length = 1; length <= typed.size(); ++length) {
            keystrokes.push_back(untilNextFrame([&]() -> ui::PaletteView& {
                controller.model().setQuery(typed.substr(0, length));
                return window->view();
            }));
        }
    }
    const double before = residentMegabytes();
    for (int opening = 0; opening < kOpeningsForMemory; ++opening) {
        controller.hide();
        controller.show();
        settle();
    }
    controller.hide();
    settle();
    const double after = residentMegabytes();

    std::printf("%6zu targets  first opening %6.1f ms  opening median %6.1f ms  keystroke median %6.1f ms  "
                "resident %6.1f MB, after %d openings %6.1f MB\n",
                listed, cold, median(openings), median(keystrokes), before, kOpeningsForMemory, after);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i) counts.push_back(std::stoi(argv[i]));
    if (counts.empty()) counts = {1'000, 10'000};
    for (const int count : counts) measure(count);
    return 0;
}
