#include <gtest/gtest.h>

#include <algorithm>

#include "activation/activator.hpp"
#include "support/desktop_builders.hpp"
#include "providers/macos_model/model_windows.hpp"
#include "providers/macos_model/scripted_tabs.hpp"
#include "providers/macos_model/window_menu.hpp"
#include "support/fake_browser_bridge.hpp"
#include "support/sim_fixture.hpp"

namespace zerlith::testing {
namespace {

using nlohmann::json;
using Lines = std::vector<std::string>;

constexpr Pid kEditor = 501;
constexpr Pid kFinder = 600;
constexpr Pid kChrome = 700;
constexpr std::int64_t kChromeWindow = 4012;

json desktop() {
    json spec = window(2, kEditor, "Spec", rect(144, 90, 720, 450));
    spec["minimized"] = true;
    json browser = window(40, kChrome, "", rect(0, 30, 1200, 800));
    browser.erase("title");
    browser["scriptId"] = kChromeWindow;
    browser["tabs"] = {{{"title", "Inbox"}, {"url", "https://mail.example.com/"}},
                       {{"title", "Design review"}, {"url", "https://docs.example.com/d/1"}}};
    return {{"screens", builtInAndExternal()},
            {"apps",
             {app(kEditor, "Editor", "com.example.editor"), app(kFinder, "Finder", "com.apple.finder"),
              app(kChrome, "Google Chrome", "com.google.Chrome")}},
            {"windows", {window(10, kFinder, "Home"), window(1, kEditor, "Draft", rect(144, 90, 720, 450)), spec, browser}},
            {"frontmost", kFinder}};
}

Target editorWindow(const std::string& title, platform::AXElementRef element) {
    return windowTarget(kEditor, "com.example.editor", title, std::move(element));
}

Target chromeTab(std::int64_t tabIndex, const std::string& title, const std::string& url) {
    return tabTarget(BrowserKind::chrome, kChromeWindow, tabIndex, title, url);
}

class ActivatorTest : public ::testing::Test {
protected:
    std::int64_t frontWindow() { return sim.desktop().state().windows.front().number; }

    bool logHas(const std::string& line) {
        const auto actions = sim.desktop().actionLog();
        return std::find(actions.begin(), actions.end(), line) != actions.end();
    }

    bool movedAnything() {
        const auto actions = sim.desktop().actionLog();
        return std::any_of(actions.begin(), actions.end(), [](const auto& line) { return line.find("AXPosition") != std::string::npos; });
    }

    ActivationLog log;
    SimDesktopFixture sim{desktop()};
};

TEST_F(ActivatorTest, TargetsLackingWhatTheirKindNeedsStartNothing) {
    struct Case {
        Target target;
        Lines trace;
    };
    Target windowWithoutRef = editorWindow("Draft", nullptr);
    windowWithoutRef.window.reset();
    Target tabWithoutRef = chromeTab(1, "Inbox", "https://mail.example.com/");
    tabWithoutRef.tab.reset();
    const Case cases[] = {
        {windowWithoutRef, {"kind=window tabRef=false windowRef=false"}},
        {tabWithoutRef, {"kind=tab tabRef=false windowRef=false", "focusTab: no TabRef"}},
        {tabTarget(BrowserKind::safari, kChromeWindow, 1, "Inbox", "https://mail.example.com/"),
         {"kind=tab tabRef=true windowRef=false", "focusTab: com.apple.Safari not running"}},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(Activator::activate(log, c.target, screen("External")));
        EXPECT_EQ(log.lastTrace(), c.trace);
    }
    sim.dispatch.runMainFor(2);
    EXPECT_TRUE(sim.desktop().actionLog().empty());
}

TEST_F(ActivatorTest, TheDirectRouteRestoresRaisesAndActivatesAtOnce) {
    EXPECT_TRUE(Activator::activate(log, editorWindow("Spec", axWindow(kEditor, "Spec")), std::nullopt));
    EXPECT_EQ(sim.desktop().actionLog(),
              (Lines{"setAttribute window 2 AXMinimized false", "performAction window 2 AXRaise",
                     "setAttribute window 2 AXMain true", "activate 501"}));
    EXPECT_EQ(log.lastTrace(), (Lines{"kind=window tabRef=false windowRef=true"}));
    EXPECT_EQ(frontWindow(), 2);

    // Not minimized: no write to "AXMinimized"; and without a screen no move follows.
    const auto mark = sim.desktop().actionLog().size();
    EXPECT_TRUE(Activator::activate(log, editorWindow("Draft", axWindow(kEditor, "Draft")), std::nullopt));
    sim.dispatch.runMainFor(2);
    EXPECT_EQ(linesFrom(sim.desktop().actionLog(), mark),
              (Lines{"performAction window 1 AXRaise", "setAttribute window 1 AXMain true", "activate 501"}));
}

TEST_F(ActivatorTest, TheDirectRouteMovesOnTheMainQueueOnlyToAnotherScreen) {
    Activator::activate(log, editorWindow("Draft", axWindow(kEditor, "Draft")), screen("Built-in"));
    sim.dispatch.runMainFor(2);
    EXPECT_FALSE(movedAnything());

    Activator::activate(log, editorWindow("Draft", axWindow(kEditor, "Draft")), screen("External"));
    EXPECT_FALSE(movedAnything()) << "the move waits for the main queue";
    sim.dispatch.runMainFor(0);
    EXPECT_TRUE(movedAnything());
}

TEST_F(ActivatorTest, AWindowWithoutElementIsRaisedThroughItsMenuInTheBackground) {
    EXPECT_TRUE(Activator::activate(log, editorWindow("Draft", nullptr), screen("External")));
    EXPECT_TRUE(sim.desktop().actionLog().empty());
    EXPECT_EQ(sim.dispatch.pendingBackgroundTasks(), 1u);

    sim.dispatch.runMainFor(2);
    EXPECT_EQ(log.lastTrace(), (Lines{"kind=window tabRef=false windowRef=true", "menu.raise target='Draft'",
                                              "candidates=1", "landed on candidate 0"}));
    EXPECT_EQ(frontWindow(), 1);
    EXPECT_FALSE(logHas("activate 501")) << "a landed raise needs no fallback";
    EXPECT_TRUE(movedAnything());
}

TEST_F(ActivatorTest, AWindowMissingFromTheMenuFallsBackToActivation) {
    EXPECT_TRUE(Activator::activate(log, editorWindow("Notes", nullptr), std::nullopt));
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(log.lastTrace(), (Lines{"kind=window tabRef=false windowRef=true", "menu.raise target='Notes'",
                                              "no matching menu entry"}));
    EXPECT_EQ(sim.desktop().actionLog(), (Lines{"activate 501"}));
}

TEST_F(ActivatorTest, ATabIsSelectedByScriptThenRaisedThroughTheBrowserMenu) {
    const double start = elapsed(sim.clock);
    EXPECT_TRUE(Activator::activate(log, chromeTab(2, "Design review", "https://docs.example.com/d/1"),
                                    std::nullopt));
    EXPECT_EQ(log.lastTrace(), (Lines{"kind=tab tabRef=true windowRef=false", "focusTab: win=4012 tab=2"}));

    sim.dispatch.runUntilIdle();
    EXPECT_EQ(sim.desktop().actionLog(),
              (Lines{"script chrome select window 4012 tab 2", "press menuItem 700 Design review"}));
    EXPECT_EQ(log.lastTrace().back(), "landed on candidate 0");
    EXPECT_EQ(frontWindow(), 40);
    // 150 ms for the browser to switch tabs, then one 50 ms poll.
    EXPECT_NEAR(elapsed(sim.clock) - start, 0.2, 1e-6);
}

TEST(ActivatorExtension, ATabIsSelectedByTheExtensionThenItsWindowRaised) {
    constexpr Pid kChromium = 900;
    SimDesktopFixture sim(json{{"apps", {app(kChromium, "Chromium", "chromium")}},
                               {"windows", {window(50, kChromium, "Inbox - Chromium"), window(51, kChromium, "Design review - Chromium")}}});
    BridgedPlatform bridged;
    bridged.bridge.connected = {{"chrome", kChromium, {}, ""}};
    ActivationLog log;
    EXPECT_TRUE(Activator::activate(log, tabTarget(BrowserKind::chrome, 4012, 2, "Design review", "https://docs.example.com/d/1"),
                                    std::nullopt));
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(bridged.bridge.selections,
              (std::vector<FakeBrowserBridge::Selection>{{"chrome", 4012, 2, "https://docs.example.com/d/1"}}));
    EXPECT_EQ(log.lastTrace(), (Lines{"kind=tab tabRef=true windowRef=false", "focusTab: win=4012 tab=2", "focusTab: selected"}));
    EXPECT_EQ(sim.desktop().state().windows.front().number, 51);
}

TEST_F(ActivatorTest, ATabWhoseURLIsNotInFrontActivatesTheBrowser) {
    for (const char* behaviour : {"ok", "fail"}) {
        sim.desktop().update([&](sim::DesktopModel& model) {
            model.apps[2].script = std::string(behaviour) == "ok" ? sim::ScriptBehaviour::ok : sim::ScriptBehaviour::fail;
        });
        Activator::activate(log, chromeTab(2, "Design review", "https://docs.example.com/moved"),
                            std::nullopt);
        sim.dispatch.runUntilIdle();
        const auto trace = log.lastTrace();
        ASSERT_GE(trace.size(), 2u);
        EXPECT_EQ(trace.back(), "no candidate satisfied the check") << behaviour;
        EXPECT_EQ(sim.desktop().actionLog().back(), "activate 700") << behaviour;
    }
}

TEST(ActivatorScripts, SelectScriptsNameTheWindowAndTheTab) {
    EXPECT_EQ(macos_model::selectTabScript(TabRef{BrowserKind::chrome, 4012, 3, "https://a.example/"}),
              "tell application \"Google Chrome\"\n"
              "    set targetWindow to first window whose id is 4012\n"
              "    set active tab index of targetWindow to 3\n"
              "end tell");
    EXPECT_EQ(macos_model::selectTabScript(TabRef{BrowserKind::safari, 77, 3, "https://a.example/"}),
              "tell application \"Safari\"\n"
              "    set targetWindow to first window whose id is 77\n"
              "    set current tab of targetWindow to tab 3 of targetWindow\n"
              "end tell");
}

TEST_F(ActivatorTest, TheFrontTabCheckComparesTheTrimmedURL) {
    // The browser answers with the URL and a line break.
    EXPECT_TRUE(macos_model::frontTabShows(TabRef{BrowserKind::chrome, kChromeWindow, 1, "https://mail.example.com/"}));
    EXPECT_FALSE(macos_model::frontTabShows(TabRef{BrowserKind::chrome, kChromeWindow, 1, "https://mail.example.com"}));
    EXPECT_FALSE(macos_model::frontTabShows(TabRef{BrowserKind::safari, 1, 1, "https://mail.example.com/"}));
    sim.desktop().update([](sim::DesktopModel& model) { model.apps[2].script = sim::ScriptBehaviour::fail; });
    EXPECT_FALSE(macos_model::frontTabShows(TabRef{BrowserKind::chrome, kChromeWindow, 1, "https://mail.example.com/"}));
}

}  // namespace
}  // namespace zerlith::testing
