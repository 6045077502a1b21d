// The zerlith executable on a real X session: the dump sees the test windows, and the scripted
// raise and move drive them.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <nlohmann/json.hpp>

#include "support/scoped_environment.hpp"
#include "x11/support/x_session.hpp"

namespace zerlith::x11::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

class X11CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        home_ = fs::temp_directory_path() / ("zerlith-cli-" + std::to_string(::getpid()));
        fs::create_directories(home_);
        // The X11 desktop, and a usage history of its own.
        environment_.set("ZERLITH_DESKTOP", std::nullopt);
        environment_.set("XDG_DATA_HOME", (home_ / "data").string());
        environment_.set("XDG_CONFIG_HOME", (home_ / "config").string());
    }
    void TearDown() override { fs::remove_all(home_); }

    /// Runs zerlith and returns what it printed, parsed; what it printed on standard error goes
    /// to `errors` when given.
    json run(std::vector<std::string> arguments, std::string* errors = nullptr) {
        const auto errorFile = (home_ / "stderr").string();
        arguments.insert(arguments.begin(), ZERLITH_EXECUTABLE);
        if (errors) arguments.insert(arguments.begin(), {"sh", "-c", "exec \"$@\" 2>\"$0\"", errorFile});
        const auto finished = ChildProcess::runToEnd(arguments);
        EXPECT_EQ(finished.status, 0);
        if (errors) {
            std::ifstream in(errorFile);
            *errors = std::string(std::istreambuf_iterator<char>(in), {});
        }
        return json::parse(finished.output, nullptr, false);
    }

    static const json* target(const json& dump, const std::string& title) {
        for (const json& candidate : dump["targets"]) {
            if (candidate["title"] == title) return &candidate;
        }
        return nullptr;
    }

    static Rect rect(const json& frame) {
        return Rect{frame["x"].get<double>(), frame["y"].get<double>(), frame["w"].get<double>(), frame["h"].get<double>()};
    }

    XSession session_;
    ScopedEnvironment environment_;
    fs::path home_;
};

TEST_F(X11CommandLineTest, DumpListsExactlyTheWindowsWithFramesScreensSpacesAndContext) {
    TestWindows windows({"--title", "Left Notes", "--class", "notes,Notes", "--pid", "601", "--frame", "100,80,640,480",
                         "--title", "Right Shell", "--class", "xterm,XTerm", "--pid", "602", "--frame", "2100,200,700,500",
                         "--title", "Away Draft", "--class", "notes,Notes", "--pid", "601", "--desktop", "1"});
    ASSERT_TRUE(session_.waitUntilManaged(windows.ids()));
    ASSERT_TRUE(eventually([&] { return session_.probe().activeWindow() == windows[1]; }));

    json dump = run({"--dump"});
    ASSERT_FALSE(dump.is_discarded());
    EXPECT_EQ(dump["targetCount"], 3);
    EXPECT_EQ(dump["onOtherSpaces"], 1);
    EXPECT_EQ(dump["contextKey"], "xterm|Right Shell");
    ASSERT_EQ(dump["screens"].size(), 2u);
    EXPECT_EQ(dump["screens"][0]["name"], "LEFT");
    EXPECT_EQ(dump["screens"][0]["isPrimary"], true);
    EXPECT_EQ(dump["provider"]["name"], "x11");
    EXPECT_EQ(dump["provider"]["capabilities"]["permissions"], false);
    EXPECT_EQ(dump["provider"]["capabilities"]["typedAheadCapture"], true);

    struct Expected {
        const char* title;
        xcb_window_t window;
        const char* screen;
        bool onCurrentSpace;
    };
    for (const Expected& expected : {Expected{"Left Notes", windows[0], "LEFT", true},
                                     Expected{"Right Shell", windows[1], "RIGHT", true},
                                     Expected{"Away Draft", windows[2], "LEFT", false}}) {
        SCOPED_TRACE(expected.title);
        const json* found = target(dump, expected.title);
        ASSERT_TRUE(found);
        EXPECT_EQ((*found)["screen"], expected.screen);
        EXPECT_EQ((*found)["onCurrentSpace"], expected.onCurrentSpace);
        EXPECT_EQ(rect((*found)["frame"]), session_.probe().frame(expected.window));
    }
}

TEST_F(X11CommandLineTest, DumpOfHostileWindowsIsValidJson) {
    TestWindows windows({"--title", "M", "--repeat-title", "1048576", "--pid", "611",
                         "--title", "\u202Egnp.exe\u202C", "--pid", "611",
                         "--title-hex", "4e554c00616674657200", "--pid", "611",
                         "--title-hex", "6261642dff2dc3282d", "--pid", "611",
                         "--title", "Flood", "--retitle", "1000", "--pid", "611"});
    ASSERT_TRUE(session_.waitUntilManaged(windows.ids()));

    json dump = run({"--dump"});
    ASSERT_FALSE(dump.is_discarded());
    EXPECT_EQ(dump["targetCount"], 5);
    for (const std::string& title : {std::string(16384, 'M'), std::string("\u202Egnp.exe\u202C"), std::string("NUL"),
                                    std::string("bad-\uFFFD-\uFFFD(-")}) {
        EXPECT_TRUE(target(dump, title)) << title.substr(0, 20);
    }
}

TEST_F(X11CommandLineTest, DumpShowsTheCompoundTextTitleOfAnXtProgram) {
    // What xterm -T "Alpha Notes — vim" sets in a UTF-8 locale: WM_NAME only, the dash in a UTF-8 segment.
    TestWindows windows({"--title", "Alpha Notes \x1B%G\u2014\x1B%@ vim", "--legacy-title-type", "COMPOUND_TEXT",
                         "--pid", "641"});
    ASSERT_TRUE(session_.waitUntilManaged(windows.ids()));

    json dump = run({"--dump"});
    ASSERT_FALSE(dump.is_discarded());
    EXPECT_TRUE(target(dump, "Alpha Notes — vim")) << dump["targets"].dump();
}

// In a Wayland session the X11 display is XWayland's. KWin and Mutter keep other applications'
// windows from Wayland clients, so their sessions are not probed over Wayland at all; another
// compositor is, and when it fails the user is told why. A provider the user names is taken as is.
TEST_F(X11CommandLineTest, AWaylandSessionFallsBackToItsX11WindowsWithOneWarning) {
    TestWindows windows({"--title", "Through XWayland", "--pid", "651"});
    ASSERT_TRUE(session_.waitUntilManaged(windows.ids()));
    fs::create_directories(home_ / "runtime");
    environment_.set("XDG_RUNTIME_DIR", (home_ / "runtime").string());
    environment_.set("WAYLAND_DISPLAY", "absent-wayland");
    const struct {
        const char* desktop;
        const char* provider;
        std::string warning;
    } cases[] = {
        {"KDE", "", "zerlith: no provider in this build lists the Wayland windows of KDE; only X11 windows are visible\n"},
        {"ubuntu:GNOME", "", "zerlith: no provider in this build lists the Wayland windows of ubuntu:GNOME; only X11 windows are visible\n"},
        {"sway", "", "zerlith: cannot connect to the Wayland display absent-wayland; only X11 windows are visible\n"},
        {"sway", "x11", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.desktop) + " " + c.provider);
        environment_.set("XDG_CURRENT_DESKTOP", c.desktop);
        environment_.set("ZERLITH_PROVIDER", c.provider);
        std::string errors;
        const json dump = run({"--dump"}, &errors);
        ASSERT_FALSE(dump.is_discarded());
        EXPECT_EQ(dump["provider"]["name"], "x11");
        EXPECT_TRUE(target(dump, "Through XWayland"));
        EXPECT_EQ(errors, c.warning);
    }
}

TEST_F(X11CommandLineTest, RaisingAWindowOnAnotherDesktopBringsItToTheCurrentOne) {
    TestWindows windows({"--title", "Home", "--pid", "611", "--title", "Faraway", "--pid", "612", "--desktop", "1"});
    ASSERT_TRUE(session_.waitUntilManaged(windows.ids()));

    json trace = run({"--raise=Faraway"});
    EXPECT_EQ(trace["found"], true);
    EXPECT_EQ(trace["onCurrentSpace"], false);
    EXPECT_EQ(trace["focusedWindowAfter"], "Faraway");
    EXPECT_EQ(session_.probe().activeWindow(), windows[1]);
    EXPECT_EQ(session_.probe().currentDesktop(), 1u);
}

TEST_F(X11CommandLineTest, RaisingAMinimizedWindowRestoresIt) {
    TestWindows windows({"--title", "Tucked", "--pid", "621", "--state", "hidden", "--title", "Front", "--pid", "622"});
    ASSERT_TRUE(session_.waitUntilManaged(windows.ids()));

    json trace = run({"--raise=Tucked"});
    EXPECT_EQ(trace["route"], "ax-direct");
    EXPECT_EQ(trace["correctWindow"], true);
    EXPECT_FALSE(session_.probe().hasState(windows[0], session_.probe().ewmh()._NET_WM_STATE_HIDDEN));
    EXPECT_EQ(session_.probe().activeWindow(), windows[0]);
}

TEST_F(X11CommandLineTest, MovingRightPlacesTheWindowProportionallyOnTheRightMonitor) {
    TestWindows windows({"--title", "Traveller", "--pid", "631", "--frame", "200,150,800,600"});
    ASSERT_TRUE(session_.waitUntilManaged(windows.ids()));
    auto before = session_.probe().frame(windows[0]);
    ASSERT_TRUE(before);
    session_.probe().warpPointer(500, 500);  // the active screen is the pointer's

    json trace = run({"--raise=Traveller", "--move=right"});
    EXPECT_EQ(trace["fromScreen"], "LEFT");
    EXPECT_EQ(trace["toScreen"], "RIGHT");
    EXPECT_EQ(trace["landedOnRequestedScreen"], true);
    // Both monitors are 1920 × 1080 with nothing reserved: the same place, one monitor further.
    EXPECT_EQ(session_.probe().frame(windows[0]), (Rect{before->x + 1920, before->y, before->width, before->height}));
}

}  // namespace
}  // namespace zerlith::x11::testing
