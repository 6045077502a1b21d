// The running application on headless sway: the palette key bound over sway's IPC, switching by
// typing, closing without a switch, windows that open while it runs, the instant switch after the
// windows it knew closed, the key given back at quit, and a key sway's configuration already holds.

#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <ostream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "providers/wlroots/support/sway_session.hpp"
#include "support/child_process.hpp"
#include "support/first_launch.hpp"
#include "support/temp_folder.hpp"

namespace zerlith::wlroots::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

/// Alt+Space, the palette's default key.
const std::vector<std::string> kPaletteKey = {"-M", "alt", "-k", "space", "-m", "alt"};
/// Alt+Tab, the instant switch's default key.
const std::vector<std::string> kSwitchKey = {"-M", "alt", "-k", "Tab", "-m", "alt"};
/// A key of the test's own, bound to `nop probe`, to tell when sway's events come through.
const std::vector<std::string> kProbeKey = {"-M", "alt", "-k", "F12", "-m", "alt"};

/// Types on sway's virtual keyboard. The start delay keeps the first key from being lost.
void type(const std::vector<std::string>& keys) {
    std::vector<std::string> argv{"wtype", "-s", "150", "-d", "100"};
    argv.insert(argv.end(), keys.begin(), keys.end());
    EXPECT_EQ(ChildProcess::runToEnd(argv, 10.0).status, 0) << "wtype failed";
}

std::string text(const json& node, const char* key) {
    auto found = node.find(key);
    return found != node.end() && found->is_string() ? found->get<std::string>() : std::string();
}

/// Calls `visit` with every view (a container with a pid) under `node`.
template <typename Visit>
void forEachView(const json& node, const Visit& visit) {
    if (node.contains("pid")) visit(node);
    for (const char* children : {"nodes", "floating_nodes"}) {
        if (auto found = node.find(children); found != node.end()) {
            for (const json& child : *found) forEachView(child, visit);
        }
    }
}

/// A view as the user tells it apart: its application and its title.
struct View {
    std::string appId;
    std::string title;
    bool operator==(const View&) const = default;
};

std::ostream& operator<<(std::ostream& out, const View& view) {
    return out << (view.appId.empty() && view.title.empty() ? "no view" : view.appId + " \"" + view.title + "\"");
}

const View kPalette{"dev.zerlith.Zerlith", "Zerlith Switcher"};

/// The commands of the bindings pressed, from sway's binding events.
class BindingMonitor {
public:
    explicit BindingMonitor(SwaySession& session) {
        // One argument: swaymsg would take --no-repeat for an option of its own.
        session.swaymsg({"bindsym --no-repeat Mod1+F12 nop probe"});
    }

    /// Presses the probe key until its event comes: sway tells a monitor nothing before it has
    /// subscribed, and swaymsg does not say when that is.
    bool listening() {
        return eventually([&] {
            type(kProbeKey);
            return next(1.0) == "nop probe";
        }, 15.0);
    }

    /// The command of the next binding pressed; empty when none comes within `seconds`.
    std::string next(double seconds) {
        while (auto line = monitor_.readLine(seconds)) {
            const json event = json::parse(*line, nullptr, false);
            if (!event.is_discarded() && event.contains("binding")) return text(event["binding"], "command");
        }
        return "";
    }

private:
    ChildProcess monitor_{{"swaymsg", "-t", "subscribe", "-m", R"(["binding"])"},
                          ChildProcess::Options{.pipeStdout = true, .quiet = true, .reportFd = std::nullopt}};
};

/// "Beta Mail" on workspace 2 of the second output, "Alpha Notes" on workspace 1 of the first
/// with the focus, then zerlith past its first launch.
class WlrootsApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!SwaySession::available()) GTEST_SKIP() << "sway, foot or wtype is not installed";
        session_ = std::make_unique<SwaySession>(sessionOptions_);
        session_->focusWorkspace("2");
        windows_.push_back(session_->openWindow("Beta Mail"));
        session_->focusWorkspace("1");
        windows_.push_back(session_->openWindow("Alpha Notes"));
        start();
    }

    void TearDown() override {
        if (!HasFailure() || !zerlith_) return;
        zerlith_->stop();
        std::cerr << "zerlith printed:\n" << remainingOutput();
    }

    /// Starts zerlith with its standard error read as lines, and a runtime folder of its own.
    void start() {
        const fs::path runtime = ownFolder_.path() / "runtime";
        fs::create_directory(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
        instanceSocket_ = runtime / "zerlith" / "instance";
        zerlith::testing::skipFirstLaunch();
        zerlith_ = std::make_unique<ChildProcess>(
            session_->clientCommand(runtime, {"sh", "-c", "exec \"$0\" 2>&1", ZERLITH_EXECUTABLE}),
            ChildProcess::Options{.pipeStdout = true, .quiet = true, .reportFd = std::nullopt});
    }

    /// Whether zerlith listens on its instance socket: it does right after taking its keys, so
    /// from then on the palette key is its own.
    ::testing::AssertionResult listening() {
        std::optional<int> ended;
        const bool done =
            eventually([&] { return (ended = zerlith_->wait(0.0)) || fs::is_socket(instanceSocket_); }, 30.0);
        if (done && !ended) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "zerlith " << (ended ? "ended" : "did not listen in 30 s")
                                             << "; it printed:\n" << remainingOutput();
    }

    std::string remainingOutput() {
        std::string output;
        while (auto line = zerlith_->readLine(1.0)) output += *line + "\n";
        return output;
    }

    /// The view sway gives the keyboard to; none when the focus is on an empty workspace.
    View focused() {
        const auto view = session_->focusedView();
        return view ? View{text(view->container, "app_id"), text(view->container, "name")} : View{};
    }

    std::string focusedWorkspace() {
        for (const json& workspace : json::parse(session_->swaymsg({"-t", "get_workspaces"}))) {
            if (workspace.value("focused", false)) return text(workspace, "name");
        }
        return "";
    }

    /// Whether any window of zerlith's is on screen.
    bool zerlithShown() {
        bool shown = false;
        forEachView(session_->tree(),
                    [&](const json& view) { shown = shown || text(view, "app_id") == kPalette.appId; });
        return shown;
    }

    /// Presses the palette key; whether the palette then has the keyboard.
    ::testing::AssertionResult openPalette() {
        type(kPaletteKey);
        if (eventually([&] { return focused() == kPalette; }, 10.0)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the palette did not take the keyboard; the focus is on " << focused();
    }

    SwaySession::Options sessionOptions_;
    std::unique_ptr<SwaySession> session_;
    std::vector<SwaySession::Window> windows_;
    zerlith::testing::TempFolder ownFolder_;
    fs::path instanceSocket_;
    std::unique_ptr<ChildProcess> zerlith_;
};

TEST_F(WlrootsApplicationTest, ThePaletteKeyOpensThePaletteThatSwitchesClosesAndListsNewWindows) {
    ASSERT_TRUE(listening());
    ASSERT_TRUE(openPalette());
    type({"beta"});
    type({"-k", "Return"});
    const View beta{"foot", "Beta Mail"};
    EXPECT_TRUE(eventually([&] { return focused() == beta; })) << focused();
    EXPECT_EQ(focusedWorkspace(), "2");
    EXPECT_FALSE(zerlithShown());

    struct Closer {
        const char* name;
        std::vector<std::string> keys;
    };
    for (const Closer& closer : {Closer{"Escape", {"-k", "Escape"}}, Closer{"the palette key again", kPaletteKey}}) {
        SCOPED_TRACE(closer.name);
        ASSERT_TRUE(openPalette());
        type(closer.keys);
        EXPECT_TRUE(eventually([&] { return !zerlithShown() && focused() == beta; })) << focused();
    }

    windows_.push_back(session_->openWindow("Gamma Shell"));
    session_->swaymsg({"[title=\"^Alpha Notes$\"]", "focus"});
    ASSERT_TRUE(eventually([&] { return focused() == View{"foot", "Alpha Notes"}; })) << focused();
    ASSERT_TRUE(openPalette());
    type({"gamma"});
    type({"-k", "Return"});
    EXPECT_TRUE(eventually([&] { return focused() == View{"foot", "Gamma Shell"}; })) << focused();
}

TEST_F(WlrootsApplicationTest, TheSwitchKeyFindsWindowsThatOpenedAfterTheListedOnesClosed) {
    ASSERT_TRUE(listening());
    ASSERT_TRUE(openPalette());
    type({"-k", "Escape"});
    ASSERT_TRUE(eventually([&] { return !zerlithShown(); }));
    windows_.push_back(session_->openWindow("Gamma Shell"));
    windows_.push_back(session_->openWindow("Delta Draw"));
    windows_.erase(windows_.begin(), windows_.begin() + 2);
    ASSERT_TRUE(eventually([&] { return !session_->findView("Alpha Notes") && !session_->findView("Beta Mail"); }));
    const View delta{"foot", "Delta Draw"};
    ASSERT_EQ(focused(), delta);

    // The switch never waits for a listing: every window it knows has closed, so the first press
    // finds nowhere to go, and the second finds the windows listed after the first.
    type(kSwitchKey);
    EXPECT_EQ(focused(), delta);
    type(kSwitchKey);
    EXPECT_TRUE(eventually([&] { return focused() == View{"foot", "Gamma Shell"}; })) << focused();
}

TEST_F(WlrootsApplicationTest, QuittingGivesThePaletteKeyBackToSway) {
    ASSERT_TRUE(listening());
    ASSERT_TRUE(openPalette());
    zerlith_->signal(SIGTERM);
    EXPECT_EQ(zerlith_->wait(10.0), 0);
    EXPECT_FALSE(zerlithShown());

    // Unbound, the key runs no binding: the probe pressed after it is the next event.
    BindingMonitor bindings(*session_);
    ASSERT_TRUE(bindings.listening());
    type(kPaletteKey);
    type(kProbeKey);
    EXPECT_EQ(bindings.next(5.0), "nop probe");
}

/// sway's configuration holds the palette key before zerlith starts.
class WlrootsApplicationWithTakenKeyTest : public WlrootsApplicationTest {
protected:
    WlrootsApplicationWithTakenKeyTest() { sessionOptions_.extraConfig = {"bindsym Mod1+space nop taken"}; }

    /// zerlith says the key is taken, and it stays sway's while zerlith runs and after it quits.
    void expectTakenAndLeftToSway() {
        std::string printed;
        std::optional<std::string> line;
        while ((line = zerlith_->readLine(30.0)) && line->find("taken") == std::string::npos) printed += *line + "\n";
        EXPECT_EQ(line, "zerlith: Alt+Space is taken by another app — pick a different one in Settings.") << printed;
        // sway runs no tray service here: no tray icon is made, and Qt does not warn about one.
        EXPECT_EQ(printed.find("systemTrayWindowChanged"), std::string::npos) << printed;

        ASSERT_TRUE(listening());
        BindingMonitor bindings(*session_);
        ASSERT_TRUE(bindings.listening());
        type(kPaletteKey);
        EXPECT_EQ(bindings.next(5.0), "nop taken");
        EXPECT_FALSE(zerlithShown());
        zerlith_->signal(SIGTERM);
        EXPECT_EQ(zerlith_->wait(10.0), 0);
        type(kPaletteKey);
        EXPECT_EQ(bindings.next(5.0), "nop taken");
    }
};

TEST_F(WlrootsApplicationWithTakenKeyTest, APaletteKeyThatSwayHoldsIsReportedAndLeftToSway) {
    expectTakenAndLeftToSway();
}

/// The palette key is bound in a file that sway's configuration includes by a pattern.
class WlrootsApplicationWithIncludedTakenKeyTest : public WlrootsApplicationWithTakenKeyTest {
protected:
    WlrootsApplicationWithIncludedTakenKeyTest() {
        sessionOptions_.extraConfig = {"include keys.d/*.conf"};
        sessionOptions_.files = {{"keys.d/taken.conf", "bindsym Mod1+space nop taken"}};
    }
};

TEST_F(WlrootsApplicationWithIncludedTakenKeyTest, APaletteKeyThatAnIncludedFileHoldsIsReportedAndLeftToSway) {
    expectTakenAndLeftToSway();
}

/// sway's configuration includes a file that binds nothing yet.
class WlrootsApplicationWithIncludeTest : public WlrootsApplicationTest {
protected:
    WlrootsApplicationWithIncludeTest() {
        sessionOptions_.extraConfig = {"include keys.conf"};
        sessionOptions_.files = {{"keys.conf", ""}};
    }
};

TEST_F(WlrootsApplicationWithIncludeTest, APaletteKeyTheConfigurationTakesAtAReloadIsLeftToSwayAlsoAtQuit) {
    ASSERT_TRUE(listening());
    zerlith::testing::writeText(session_->configFolder() / "keys.conf", "bindsym Mod1+space nop taken");
    session_->swaymsg({"reload"});
    std::string printed;
    std::optional<std::string> line;
    while ((line = zerlith_->readLine(30.0)) && line->find("taken") == std::string::npos) printed += *line + "\n";
    EXPECT_EQ(line, "zerlith: Alt+Space is taken by another app — pick a different one in Settings.") << printed;

    BindingMonitor bindings(*session_);
    ASSERT_TRUE(bindings.listening());
    type(kPaletteKey);
    EXPECT_EQ(bindings.next(5.0), "nop taken");
    zerlith_->signal(SIGTERM);
    EXPECT_EQ(zerlith_->wait(10.0), 0);
    type(kPaletteKey);
    EXPECT_EQ(bindings.next(5.0), "nop taken");
}

}  // namespace
}  // namespace zerlith::wlroots::testing
