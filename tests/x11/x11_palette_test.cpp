// The switcher application on a real X session with openbox and two monitors: the palette opens
// on request, takes the keyboard, and its keys and clicks switch and move real windows.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "support/scoped_environment.hpp"
#include "support/first_launch.hpp"
#include "x11/support/x_session.hpp"

namespace zerlith::x11::testing {
namespace {

namespace fs = std::filesystem;

/// Waits for a real X event's effect: polls `condition` for up to `seconds`.
bool eventually(const std::function<bool()>& condition, double seconds = 10.0) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
}

std::string output(const std::string& command) {
    std::string text;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
        ::pclose(pipe);
    }
    return text;
}

class X11PaletteTest : public ::testing::Test {
protected:
    X11PaletteTest()
        : windows_({"--title", "Alpha Notes", "--class", "notes,Notes", "--pid", "601", "--frame", "100,100,640,480",
                    "--title", "Beta Shell", "--class", "xterm,XTerm", "--pid", "602", "--frame", "300,200,640,480",
                    "--title", "Gamma Right", "--class", "notes,Notes", "--pid", "601", "--frame", "2200,200,640,480"}) {
        session_.waitUntilManaged(windows_.ids());
        environment_.set("ZERLITH_DESKTOP", std::nullopt);
        environment_.set("QT_QPA_PLATFORM", std::nullopt);
        environment_.set("XDG_RUNTIME_DIR", (home() / "runtime").string());
        session_.probe().warpPointer(500, 500);  // the palette opens on LEFT
        zerlith::testing::skipFirstLaunch();
        switcher_ = std::make_unique<zerlith::testing::ChildProcess>(
            std::vector<std::string>{ZERLITH_EXECUTABLE}, zerlith::testing::ChildProcess::Options{});
    }

    ~X11PaletteTest() override {
        if (switcher_) quit();
    }

    static fs::path home() { return std::getenv("HOME"); }

    /// `zerlith --palette`, then waits for the palette to have the keyboard.
    void openPalette() {
        ASSERT_TRUE(eventually([] { return std::system(ZERLITH_EXECUTABLE " --palette 2>/dev/null") == 0; }));
        ASSERT_TRUE(eventually([this] { return paletteVisible() && session_.probe().focusedWindow() == palette(); }))
            << "the palette takes the keyboard; focus: " << session_.probe().focusedWindow().value_or(0)
            << ", palette: " << palette().value_or(0) << (paletteVisible() ? " shown" : " hidden");
    }

    std::optional<xcb_window_t> palette() {
        const auto id = output("xdotool search --name '^Zerlith Switcher$' 2>/dev/null");
        if (id.empty()) return std::nullopt;
        return static_cast<xcb_window_t>(std::stoul(id));
    }

    bool paletteVisible() { return !output("xdotool search --onlyvisible --name '^Zerlith Switcher$'").empty(); }

    static void xdotool(const std::string& arguments) {
        ASSERT_EQ(std::system(("xdotool " + arguments).c_str()), 0) << arguments;
    }

    /// Asks the switcher to quit as the session would, and waits for it.
    void quit() {
        switcher_->signal(SIGTERM);
        EXPECT_EQ(switcher_->wait(10.0), 0);
        switcher_.reset();
    }

    bool onRightMonitor(xcb_window_t window) {
        const auto frame = session_.probe().frame(window);
        return frame && frame->x >= 1920;
    }

    XSession session_;
    TestWindows windows_;
    ScopedEnvironment environment_;
    std::unique_ptr<zerlith::testing::ChildProcess> switcher_;
};

TEST_F(X11PaletteTest, TypingAndReturnSwitchesAndTheUseSurvivesQuitting) {
    openPalette();
    xdotool("type --delay 20 beta");
    xdotool("key Return");
    EXPECT_TRUE(eventually([this] { return session_.probe().activeWindow() == windows_[1]; }));
    EXPECT_FALSE(paletteVisible());

    quit();
    std::ifstream history(home() / "data" / "Zerlith" / "usage.json");
    std::stringstream text;
    text << history.rdbuf();
    EXPECT_NE(text.str().find("Beta Shell"), std::string::npos) << text.str();
}

TEST_F(X11PaletteTest, EscapeAndAnotherWindowTakingFocusCloseIt) {
    openPalette();
    xdotool("key Escape");
    EXPECT_TRUE(eventually([this] { return !paletteVisible(); }));

    openPalette();
    // A person looks at the palette before clicking away; a key typed first makes sure the
    // palette has taken in that it has the keyboard.
    xdotool("type --delay 20 be");
    xdotool("windowactivate " + std::to_string(windows_[0]));
    EXPECT_TRUE(eventually([this] { return !paletteVisible(); }))
        << "active: " << session_.probe().activeWindow().value_or(0) << " alpha: " << windows_[0];
}

TEST_F(X11PaletteTest, ArrowsSendAndCtrlReturnBringsWindowsAcrossMonitors) {
    openPalette();
    xdotool("type --delay 20 alpha");
    xdotool("key Right");
    EXPECT_TRUE(eventually([this] { return onRightMonitor(windows_[0]); })) << "Right sends it to RIGHT";
    // The switch ends with the window active; a person opens the palette again only after that.
    EXPECT_TRUE(eventually([this] { return session_.probe().activeWindow() == windows_[0]; }));

    openPalette();
    xdotool("type --delay 20 gamma");
    xdotool("key ctrl+Return");
    EXPECT_TRUE(eventually([this] { return !onRightMonitor(windows_[2]); })) << "brought to the palette's LEFT";
    EXPECT_TRUE(eventually([this] { return session_.probe().activeWindow() == windows_[2]; }));
}

TEST_F(X11PaletteTest, AClickOnARowSwitchesToIt) {
    openPalette();
    xdotool("type --delay 20 beta");
    // The first row: below the 58-point search bar, its divider and the list's top margin.
    xdotool("mousemove --window " + std::to_string(*palette()) + " 200 88 click 1");
    EXPECT_TRUE(eventually([this] { return session_.probe().activeWindow() == windows_[1]; }));
    EXPECT_FALSE(paletteVisible());
}

}  // namespace
}  // namespace zerlith::x11::testing
