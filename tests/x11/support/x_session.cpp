#include "x11/support/x_session.hpp"

#include <algorithm>
#include <set>
#include <stdexcept>

namespace zerlith::x11::testing {
namespace {

std::vector<std::string> with(std::string program, const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{std::move(program)};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return argv;
}

}  // namespace

XSession::XSession(Options options) {
    // -noreset keeps the monitors when the last client disconnects; -displayfd picks a free display.
    server_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"Xvfb", "-displayfd", "3", "-noreset", "-nolisten", "tcp", "-screen", "0", "3840x1080x24"},
        ChildProcess::Options{.reportFd = 3});
    auto number = server_->readLine(10.0, true);
    if (!number) throw std::runtime_error("Xvfb did not start (is the xvfb package installed?)");
    display_ = ":" + *number;
    environment_.set("DISPLAY", display_);
    // The switcher picks its provider by these: the session the tests run in must not leak in.
    for (const char* name : {"WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP", "ZERLITH_PROVIDER"}) environment_.set(name, std::nullopt);
    probe_ = std::make_unique<XProbe>(display_);

    if (options.twoMonitors) {
        // Naming the automatic monitor's output replaces that monitor, leaving exactly two.
        run({"xrandr", "--setmonitor", "RIGHT", "1920/508x1080/286+1920+0", "none"});
        run({"xrandr", "--setmonitor", "LEFT", "1920/508x1080/286+0+0", "screen"});
    }
    if (options.windowManager) {
        windowManager_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{"openbox", "--sm-disable", "--config-file", ZERLITH_OPENBOX_CONFIG},
            ChildProcess::Options{});
        // Openbox can leave events that reach it while it starts unread until another event comes,
        // so it is ready once it has carried out a request that arrived after that: switching to
        // the second desktop and back, asking again until each switch shows.
        bool ready = eventually([&] { return probe_->windowManagerRunning(); }, 10.0);
        for (std::uint32_t desktop : {1u, 0u}) {
            ready = ready && eventually(
                                 [&] {
                                     probe_->requestDesktop(desktop);
                                     return eventually([&] { return probe_->currentDesktop() == desktop; }, 0.2);
                                 },
                                 10.0);
        }
        if (!ready) throw std::runtime_error("openbox did not start managing " + display_);
    }
    // Only now: openbox finds its theme through the machine's XDG folders.
    const auto home = home_.path();
    environment_.set("HOME", home.string());
    environment_.set("XDG_DATA_HOME", (home / "data").string());
    environment_.set("XDG_CONFIG_HOME", (home / "config").string());
    environment_.set("XDG_DATA_DIRS", (home / "system-data").string());
    environment_.set("XDG_CONFIG_DIRS", (home / "system-config").string());
}

XSession::~XSession() {
    windowManager_.reset();
    probe_.reset();
    server_.reset();
}

bool XSession::waitUntilManaged(const std::vector<xcb_window_t>& windows, double seconds) {
    return eventually(
        [&] {
            auto clients = probe_->clientList();
            for (xcb_window_t window : windows) {
                if (std::find(clients.begin(), clients.end(), window) == clients.end()) return false;
            }
            return true;
        },
        seconds);
}

void XSession::run(const std::vector<std::string>& argv) {
    ChildProcess command(argv, ChildProcess::Options{});
    auto status = command.wait(10.0);
    if (!status || *status != 0) throw std::runtime_error("failed: " + argv.front() + " " + argv.at(1));
}

TestWindows::TestWindows(const std::vector<std::string>& arguments)
    : process_(with(ZERLITH_TEST_WINDOW_PROGRAM, arguments), ChildProcess::Options{.pipeStdin = true, .pipeStdout = true, .quiet = false, .reportFd = std::nullopt}) {
    for (;;) {
        auto line = process_.readLine(60.0);
        if (!line) throw std::runtime_error("the test-window program did not map its windows");
        if (*line == "ready") break;
        ids_.push_back(static_cast<xcb_window_t>(std::stoul(*line)));
    }
}

void TestWindows::destroy(std::size_t index) { process_.writeLine("destroy " + std::to_string(index)); }

std::optional<std::string> TestWindows::nextKey(double seconds) {
    // Control, Shift, Caps Lock, Alt, Num Lock and Super on Xvfb's default (evdev) keyboard.
    static const std::set<std::string> kModifiers = {"37", "50", "62", "64", "66", "77", "105", "108", "133", "134"};
    for (;;) {
        auto line = process_.readLine(seconds);
        if (!line || !kModifiers.contains(line->substr(line->rfind(' ') + 1))) return line;
    }
}

}  // namespace zerlith::x11::testing
