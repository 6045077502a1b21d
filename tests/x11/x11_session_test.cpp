// The session walk (support/session_walk.hpp) on a real X session: Xvfb with openbox, windows of
// the test-window program that log their keys, xdotool's keys.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/first_launch.hpp"
#include "support/scoped_environment.hpp"
#include "support/session_walk.hpp"
#include "x11/support/x_session.hpp"

namespace zerlith::x11::testing {
namespace {

namespace fs = std::filesystem;
using zerlith::testing::eventually;

/// Key codes of Xvfb's default (evdev, US) keyboard, for the letters the walk types.
const std::map<unsigned, char> kLetters = {
    {38, 'a'}, {56, 'b'}, {54, 'c'}, {40, 'd'}, {26, 'e'}, {41, 'f'}, {42, 'g'}, {43, 'h'}, {31, 'i'},
    {44, 'j'}, {45, 'k'}, {46, 'l'}, {58, 'm'}, {57, 'n'}, {32, 'o'}, {33, 'p'}, {24, 'q'}, {27, 'r'},
    {39, 's'}, {28, 't'}, {30, 'u'}, {55, 'v'}, {25, 'w'}, {53, 'x'}, {29, 'y'}, {52, 'z'}};

class X11WalkedDesktop final : public zerlith::testing::WalkedDesktop {
public:
    X11WalkedDesktop() {
        fs::create_directories(home_.path() / "runtime");
        fs::permissions(home_.path() / "runtime", fs::perms::owner_all);
        environment_.set("XDG_RUNTIME_DIR", (home_.path() / "runtime").string());
        environment_.set("ZERLITH_DESKTOP", std::nullopt);
        environment_.set("QT_QPA_PLATFORM", "xcb");
        zerlith::testing::skipFirstLaunch();
    }

    void press(const std::vector<std::string>& keys) override {
        std::vector<std::string> argv{"xdotool", "key", "--delay", "0"};
        argv.insert(argv.end(), keys.begin(), keys.end());
        run(argv);
    }
    void openWindow(const std::string& title) override {
        auto program = std::make_unique<TestWindows>(std::vector<std::string>{"--log-keys", "--title", title});
        ASSERT_TRUE(session_.waitUntilManaged(program->ids()));
        windows_[title] = std::move(program);
    }
    void closeWindow(const std::string& title) override {
        const auto id = (*windows_.at(title))[0];
        windows_.at(title)->destroy(0);
        ASSERT_TRUE(eventually([&] {
            const auto clients = session_.probe().clientList();
            return std::find(clients.begin(), clients.end(), id) == clients.end();
        }));
        windows_.erase(title);
    }
    void click(const std::string& title) override {
        run({"xdotool", "windowactivate", std::to_string((*windows_.at(title))[0])});
    }
    void visitAnotherDesktop() override {
        session_.probe().requestDesktop(1);
        ASSERT_TRUE(eventually([&] { return session_.probe().currentDesktop() == 1u; }));
        session_.probe().requestDesktop(0);
        ASSERT_TRUE(eventually([&] { return session_.probe().currentDesktop() == 0u; }));
    }

    std::string focusedTitle() override {
        ChildProcess tool({"xdotool", "getwindowfocus", "-f", "getwindowname"},
                          ChildProcess::Options{.pipeStdout = true, .quiet = true, .reportFd = std::nullopt});
        auto line = tool.readLine(5.0);
        tool.wait(5.0);
        return line.value_or("");
    }
    bool paletteShown() override {
        ChildProcess tool({"xdotool", "search", "--onlyvisible", "--name", "^Zerlith Switcher$"},
                          ChildProcess::Options{.pipeStdout = true, .quiet = true, .reportFd = std::nullopt});
        const bool found = tool.readLine(5.0).has_value();
        tool.wait(5.0);
        return found;
    }
    /// A grab of the whole keyboard by a client of the test's own.
    bool keyboardFree() override {
        auto& probe = session_.probe();
        auto cookie = xcb_grab_keyboard(probe.raw(), 0, probe.root(), XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC,
                                        XCB_GRAB_MODE_ASYNC);
        auto* reply = xcb_grab_keyboard_reply(probe.raw(), cookie, nullptr);
        const bool grabbed = reply != nullptr && reply->status == XCB_GRAB_STATUS_SUCCESS;
        std::free(reply);
        xcb_ungrab_keyboard(probe.raw(), XCB_CURRENT_TIME);
        probe.sync();
        return grabbed;
    }
    /// The program logs "key WINDOW KEYCODE" for each key its window 0 gets.
    std::optional<std::string> nextKey(const std::string& title, double seconds) override {
        auto line = windows_.at(title)->nextKey(seconds);
        if (!line || !line->starts_with("key 0 ")) return line;
        const auto letter = kLetters.find(static_cast<unsigned>(std::stoul(line->substr(6))));
        return letter != kLetters.end() ? std::string(1, letter->second) : *line;
    }

    std::vector<std::string> zerlithCommand(const std::vector<std::string>& arguments) override {
        std::vector<std::string> argv{ZERLITH_EXECUTABLE};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return argv;
    }

private:
    static void run(const std::vector<std::string>& argv) {
        ChildProcess tool(argv, ChildProcess::Options{});
        ASSERT_EQ(tool.wait(10.0), 0) << argv.front();
    }

    XSession session_;
    zerlith::testing::TempFolder home_;
    ScopedEnvironment environment_;
    std::map<std::string, std::unique_ptr<TestWindows>> windows_;
};

class X11SessionTest : public ::testing::TestWithParam<unsigned long> {};

TEST_P(X11SessionTest, ARandomWalkOfUserActionsAgreesWithTheModel) {
    X11WalkedDesktop desktop;
    zerlith::testing::walkSession(desktop, GetParam(), 60);
}

// Seed 6 turns to new windows early and then presses the switch key (see the walk's trail).
INSTANTIATE_TEST_SUITE_P(Seeds, X11SessionTest, ::testing::ValuesIn(zerlith::testing::sessionSeeds({6, 303, 505})),
                         zerlith::testing::seedName);

}  // namespace
}  // namespace zerlith::x11::testing
