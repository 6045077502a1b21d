// The running application on a real X session: its global hot keys, the keys typed right after
// one, a key the desktop already holds, and windows that appear while it runs.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

#include "support/first_launch.hpp"
#include "support/scoped_environment.hpp"
#include "x11/support/x_session.hpp"

namespace zerlith::x11::testing {
namespace {

namespace fs = std::filesystem;
using zerlith::testing::preferencesFile;

/// Space on Xvfb's default (evdev) keyboard.
constexpr xcb_keycode_t kSpaceKeycode = 65;

class X11ApplicationTest : public ::testing::Test {
protected:
    X11ApplicationTest() {
        // A channel of its own: another instance on this machine must not answer.
        fs::create_directories(home_.path() / "runtime");
        fs::permissions(home_.path() / "runtime", fs::perms::owner_all);
        environment_.set("XDG_RUNTIME_DIR", (home_.path() / "runtime").string());
        environment_.set("ZERLITH_DESKTOP", std::nullopt);
        environment_.set("QT_QPA_PLATFORM", "xcb");
        zerlith::testing::skipFirstLaunch();
    }

    /// The ids of the visible windows titled exactly `title`.
    static std::vector<std::string> visibleWindows(const std::string& title) {
        ChildProcess tool({"xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"},
                          ChildProcess::Options{.pipeStdout = true, .quiet = true, .reportFd = std::nullopt});
        std::vector<std::string> ids;
        while (auto line = tool.readLine(5.0)) ids.push_back(*line);
        tool.wait(5.0);
        return ids;
    }

    /// Starts zerlith with its standard error read as lines, and a PATH of its own without any
    /// browser, so that the settings window shows the same rows on every machine.
    void start() {
        fs::create_directories(home_.path() / "bin");
        const auto path = (home_.path() / "bin").string();
        zerlith_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{"sh", "-c", "PATH='" + path + "'; export PATH; exec '" +
                                                     std::string(ZERLITH_EXECUTABLE) + "' 2>&1"},
            ChildProcess::Options{.pipeStdout = true, .quiet = true, .reportFd = std::nullopt});
    }

    static void run(const std::vector<std::string>& argv) {
        ChildProcess tool(argv, ChildProcess::Options{});
        ASSERT_EQ(tool.wait(10.0), 0) << argv.front();
    }

    /// Polls for a real event of the X session, for at most `seconds`.
    static bool eventually(const std::function<bool()>& done, double seconds = 10.0) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < end) {
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return done();
    }

    /// The title of the window with the keyboard focus, as a user would read it.
    std::string focusedTitle() {
        ChildProcess tool({"xdotool", "getwindowfocus", "-f", "getwindowname"},
                          ChildProcess::Options{.pipeStdout = true, .quiet = true, .reportFd = std::nullopt});
        auto line = tool.readLine(5.0);
        tool.wait(5.0);
        return line.value_or("");
    }

    /// Alt+Space and `typed` with no pause in between; once the palette has the keyboard, Return
    /// until `title` is the active window (the palette may still be reading the window list).
    bool switchByTyping(const std::string& typed, const std::string& title) {
        run({"xdotool", "key", "alt+space", "type", typed});
        if (!eventually([&] { return focusedTitle() == "Zerlith Switcher"; }, 5.0)) return false;
        return eventually([&] {
            run({"xdotool", "key", "Return"});
            return eventually([&] { return focusedTitle() == title; }, 1.0);
        });
    }

    XSession session_;
    zerlith::testing::TempFolder home_;
    ScopedEnvironment environment_;
    std::unique_ptr<ChildProcess> zerlith_;
};

TEST_F(X11ApplicationTest, KeysTypedRightAfterTheHotKeyReachThePaletteAndNewWindowsTheList) {
    TestWindows windows({"--log-keys", "--title", "Beta", "--pid", "701", "--title", "Alpha", "--pid", "702",
                         "--title", "Gamma", "--pid", "703"});
    ASSERT_TRUE(session_.waitUntilManaged(windows.ids()));
    start();
    // The keys reach Gamma until Zerlith holds its hot keys.
    EXPECT_TRUE(eventually([&] { return switchByTyping("beta", "Beta"); }, 30.0));
    while (windows.nextKey(0.5)) {}
    // Everything typed at once, a correction and Return included, before the palette shows; what
    // follows Return at once is for the window switched to.
    run({"xdotool", "key", "--delay", "0", "alt+space", "a", "l", "p", "h", "q", "BackSpace", "a", "Return"});
    run({"xdotool", "key", "--delay", "0", "x", "z"});
    EXPECT_TRUE(eventually([&] { return focusedTitle() == "Alpha"; }, 5.0));
    EXPECT_EQ(windows.nextKey(5.0), "key 1 53");  // x
    EXPECT_EQ(windows.nextKey(5.0), "key 1 52");  // z

    TestWindows late({"--title", "Latecomer", "--pid", "704"});
    ASSERT_TRUE(session_.waitUntilManaged(late.ids()));
    run({"xdotool", "key", "alt+Tab"});  // away from the new window, so that switching to it shows
    ASSERT_TRUE(eventually([&] { return focusedTitle() != "Latecomer"; }));
    EXPECT_TRUE(switchByTyping("latecomer", "Latecomer"));
}

TEST_F(X11ApplicationTest, TheInstantSwitchRightAfterAWindowClosesGoesToALiveOne) {
    TestWindows windows({"--title", "Alpha", "--pid", "731", "--title", "Beta", "--pid", "732", "--title", "Gamma",
                         "--pid", "733"});
    ASSERT_TRUE(session_.waitUntilManaged(windows.ids()));
    start();
    // Beta becomes the most likely other window: the last one switched to.
    EXPECT_TRUE(eventually([&] { return switchByTyping("beta", "Beta"); }, 30.0));
    run({"xdotool", "windowactivate", "--sync", std::to_string(windows[0])});
    ASSERT_TRUE(eventually([&] { return focusedTitle() == "Alpha"; }));

    windows.destroy(1);
    ASSERT_TRUE(eventually([&] { return visibleWindows("Beta").empty(); }));
    run({"xdotool", "key", "alt+Tab"});
    EXPECT_TRUE(eventually([&] { return focusedTitle() == "Gamma"; }, 5.0)) << "active: " << focusedTitle();
}

TEST_F(X11ApplicationTest, APaletteKeyTheDesktopHoldsIsReportedAndTheInstantKeyStillSwitches) {
    XProbe blocker(session_.display());
    xcb_grab_key(blocker.raw(), 1, blocker.root(), XCB_MOD_MASK_1, kSpaceKeycode, XCB_GRAB_MODE_ASYNC,
                 XCB_GRAB_MODE_ASYNC);
    blocker.sync();
    TestWindows windows({"--title", "Left", "--pid", "711", "--title", "Right", "--pid", "712"});
    ASSERT_TRUE(session_.waitUntilManaged(windows.ids()));
    ASSERT_TRUE(eventually([&] { return focusedTitle() == "Right"; }));
    start();

    std::optional<std::string> line;
    while ((line = zerlith_->readLine(20.0)) && line->find("taken") == std::string::npos) {}
    EXPECT_EQ(line, "zerlith: Alt+Space is taken by another app — pick a different one in Settings.");

    // Until the first enumeration lands the instant switch has nothing to go to.
    EXPECT_TRUE(eventually([&] {
        run({"xdotool", "key", "alt+Tab"});
        return eventually([&] { return focusedTitle() == "Left"; }, 1.0);
    }, 20.0));
}

TEST_F(X11ApplicationTest, TheFirstLaunchShowsTheSettingsWindowAndTheNextDoesNot) {
    fs::remove(preferencesFile());
    TestWindows windows({"--title", "Editor", "--pid", "721"});
    ASSERT_TRUE(session_.waitUntilManaged(windows.ids()));
    start();
    EXPECT_TRUE(eventually([&] { return visibleWindows("Zerlith").size() == 1; }, 30.0));
    EXPECT_TRUE(eventually([&] { return focusedTitle() == "Zerlith"; }));
    EXPECT_NE(zerlith::testing::readText(preferencesFile()).find("\"setup.shown\": true"), std::string::npos)
        << zerlith::testing::readText(preferencesFile());
    zerlith_->signal(SIGTERM);
    ASSERT_EQ(zerlith_->wait(10.0), 0);

    start();
    // Once the palette opens, the launch is over: no settings window came with it.
    EXPECT_TRUE(eventually([&] {
        run({"xdotool", "key", "alt+space"});
        return eventually([&] { return focusedTitle() == "Zerlith Switcher"; }, 1.0);
    }, 30.0));
    EXPECT_TRUE(visibleWindows("Zerlith").empty());

    // A second zerlith asks the running one for its settings.
    run({ZERLITH_EXECUTABLE});
    EXPECT_TRUE(eventually([&] { return visibleWindows("Zerlith").size() == 1; }));
}

TEST_F(X11ApplicationTest, TheRecorderGetsThePaletteKeyItself) {
    fs::remove(preferencesFile());
    start();
    std::vector<std::string> settings;
    ASSERT_TRUE(eventually([&] { return (settings = visibleWindows("Zerlith")).size() == 1; }, 30.0));
    ASSERT_TRUE(eventually([&] { return focusedTitle() == "Zerlith"; }));

    // The key cap of "Open switcher" (below the line that no browser is installed, as X11 shows
    // it), then the palette's own key: the recorder gets it, the palette does not open, and the
    // shortcut is stored as recorded.
    run({"xdotool", "mousemove", "--window", settings.front(), "430", "231", "click", "1"});
    run({"xdotool", "key", "alt+space"});
    EXPECT_TRUE(eventually([&] {
        return zerlith::testing::readText(preferencesFile()).find("shortcut.palette") != std::string::npos;
    }));
    EXPECT_NE(zerlith::testing::readText(preferencesFile()).find(R"("keyCode": 49)"), std::string::npos)
        << zerlith::testing::readText(preferencesFile());
    EXPECT_EQ(focusedTitle(), "Zerlith");

    // Recording is over: the key opens the palette again.
    EXPECT_TRUE(eventually([&] {
        run({"xdotool", "key", "alt+space"});
        return eventually([&] { return focusedTitle() == "Zerlith Switcher"; }, 1.0);
    }, 10.0));
}

}  // namespace
}  // namespace zerlith::x11::testing
