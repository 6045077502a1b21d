// The session walk (support/session_walk.hpp) on headless sway: foot windows that write the keys
// they get to a file, wtype's keys, sway's IPC for what the user sees.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "providers/wlroots/support/sway_session.hpp"
#include "support/first_launch.hpp"
#include "support/session_walk.hpp"
#include "support/temp_folder.hpp"

namespace zerlith::wlroots::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char kPaletteTitle[] = "Zerlith Switcher";

/// wtype's arguments for one key in xdotool's names: "alt+Tab" holds Alt around Tab.
std::vector<std::string> wtypeKey(const std::string& key) {
    if (key.starts_with("alt+")) return {"-M", "alt", "-k", key.substr(4), "-m", "alt"};
    return {"-k", key};
}

class SwayWalkedDesktop final : public zerlith::testing::WalkedDesktop {
public:
    SwayWalkedDesktop() {
        session_.focusWorkspace("1");
        fs::create_directory(runtime());
        fs::permissions(runtime(), fs::perms::owner_all);
        zerlith::testing::skipFirstLaunch();
    }

    /// A burst that opens the palette waits for it before typing on: sway gives the keyboard to
    /// the palette only once it shows, and nothing holds the keys typed before.
    void press(const std::vector<std::string>& keys) override {
        auto rest = keys.begin();
        if (keys.size() > 1 && keys.front() == "alt+space") {
            type({keys.front()});
            ASSERT_TRUE(zerlith::testing::eventually([&] { return focusedTitle() == kPaletteTitle; }))
                << "the palette did not take the keyboard";
            ++rest;
        }
        type(std::vector<std::string>(rest, keys.end()));
    }
    void openWindow(const std::string& title) override {
        const fs::path log = folder_.path() / (title + ".keys");
        // Raw, so each key reaches cat at once; the log exists once the terminal is raw.
        auto window =
            session_.openWindow(title, {"sh", "-c", "stty raw -echo && exec cat >\"$1\"", "sh", log.string()});
        ASSERT_TRUE(zerlith::testing::eventually([&] { return fs::exists(log); })) << title << " logs no keys";
        windows_[title] = {std::move(window), log, 0};
    }
    void closeWindow(const std::string& title) override {
        windows_.erase(title);
        ASSERT_TRUE(zerlith::testing::eventually([&] { return !session_.findView(title); })) << title << " stays";
    }
    void click(const std::string& title) override {
        session_.swaymsg({"[con_id=" + std::to_string(windows_.at(title).window.id) + "]", "focus"});
    }
    void visitAnotherDesktop() override {
        session_.focusWorkspace("3");
        session_.focusWorkspace("1");
    }

    std::string focusedTitle() override {
        const auto view = session_.focusedView();
        return view ? view->container.value("name", "") : "";
    }
    bool paletteShown() override { return session_.findView(kPaletteTitle).has_value(); }
    /// sway has no keyboard grabs: a palette that kept the keyboard would keep the focus.
    bool keyboardFree() override { return true; }
    /// The next byte the window's terminal wrote: a letter, or another key's byte in hex.
    std::optional<std::string> nextKey(const std::string& title, double seconds) override {
        auto& window = windows_.at(title);
        std::optional<std::string> key;
        zerlith::testing::eventually([&] {
            std::ifstream log(window.log, std::ios::binary);
            log.seekg(static_cast<std::streamoff>(window.read));
            const int byte = log.get();
            if (byte == std::char_traits<char>::eof()) return false;
            ++window.read;
            char hex[8];
            std::snprintf(hex, sizeof hex, "0x%02x", byte);
            key = std::isalpha(byte) ? std::string(1, static_cast<char>(std::tolower(byte))) : std::string(hex);
            return true;
        }, seconds);
        return key;
    }

    std::vector<std::string> zerlithCommand(const std::vector<std::string>& arguments) override {
        std::vector<std::string> argv{ZERLITH_EXECUTABLE};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return session_.clientCommand(runtime(), argv);
    }

private:
    struct Window {
        SwaySession::Window window;
        fs::path log;
        std::size_t read = 0;  ///< how much of the log nextKey() took
    };

    fs::path runtime() const { return folder_.path() / "runtime"; }

    /// One wtype run; its start delay keeps the first key from being lost.
    static void type(const std::vector<std::string>& keys) {
        if (keys.empty()) return;
        std::vector<std::string> argv{"wtype", "-s", "150", "-d", "20"};
        for (const auto& key : keys) {
            const auto arguments = wtypeKey(key);
            argv.insert(argv.end(), arguments.begin(), arguments.end());
        }
        ASSERT_EQ(ChildProcess::runToEnd(argv, 10.0).status, 0) << "wtype failed";
    }

    // Each window fills the workspace however many there are: none is too small to be listed.
    SwaySession session_{SwaySession::Options{.extraConfig = {"workspace_layout tabbed"}, .files = {}}};
    zerlith::testing::TempFolder folder_;  ///< zerlith's runtime folder and the windows' key logs
    std::map<std::string, Window> windows_;
};

class WlrootsSessionTest : public ::testing::TestWithParam<unsigned long> {};

TEST_P(WlrootsSessionTest, ARandomWalkOfUserActionsAgreesWithTheModel) {
    if (!SwaySession::available()) GTEST_SKIP() << "sway, foot or wtype is not installed";
    SwayWalkedDesktop desktop;
    zerlith::testing::walkSession(desktop, GetParam(), 20);
}

// Seeds 6 and 13 turn to new windows early and then press the switch key (see the walk's trail).
INSTANTIATE_TEST_SUITE_P(Seeds, WlrootsSessionTest, ::testing::ValuesIn(zerlith::testing::sessionSeeds({6, 13, 101})),
                         zerlith::testing::seedName);

}  // namespace
}  // namespace zerlith::wlroots::testing
