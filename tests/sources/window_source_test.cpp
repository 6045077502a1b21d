#include "sources/window_source.hpp"

#include <gtest/gtest.h>

#include "providers/macos_model/window_list.hpp"
#include "support/fake_browser_bridge.hpp"
#include "support/sim_fixture.hpp"

namespace zerlith::WindowSource {
namespace {

using nlohmann::json;
using testing::SimDesktopFixture;

constexpr int kEditor = 501;

json rect(double x, double y, double w, double h) { return {{"x", x}, {"y", y}, {"w", w}, {"h", h}}; }

json window(int number, int pid, const std::string& title, json frame = rect(0, 0, 800, 600)) {
    return {{"number", number}, {"pid", pid}, {"title", title}, {"frame", std::move(frame)}};
}

json editorDesktop(json windows, json permissions = json::object()) {
    return {
        {"permissions", std::move(permissions)},
        {"screens", {{{"name", "Built-in"}, {"frame", rect(0, 0, 1920, 1080)}}}},
        {"apps", {{{"pid", kEditor}, {"name", "Editor"}, {"bundleID", "com.example.app"}}}},
        {"windows", std::move(windows)},
    };
}

json with(json base, const json& overrides) {
    base.update(overrides);
    return base;
}

std::vector<std::string> ids(const std::vector<Target>& targets) {
    std::vector<std::string> result;
    for (const auto& target : targets) result.push_back(target.id);
    return result;
}

/// The window number an element stands for, found by raising it and reading the desktop's log.
std::string raisedWindow(SimDesktopFixture& sim, const platform::AXElementRef& element) {
    if (!element) return "none";
    platform::currentMacOS().accessibility().performAction(element, platform::ax::kRaise);
    const auto log = sim.desktop().actionLog();
    return log.empty() ? "?" : log.back();
}

TEST(WindowEnumeration, KeepsSwitchableWindowsInWindowServerOrder) {
    SimDesktopFixture sim({
        {"selfPid", 700},
        {"screens", {{{"name", "Built-in"}, {"frame", rect(0, 0, 1920, 1080)}}}},
        {"apps",
         {{{"pid", kEditor}, {"name", "Editor"}, {"bundleID", "com.example.app"}},
          {{"pid", 502}},
          {{"pid", 503}, {"name", "Helper"}, {"bundleID", "com.example.helper"}, {"policy", "accessory"}},
          {{"pid", 504}, {"name", "Google Chrome"}, {"bundleID", "com.google.Chrome"}},
          {{"pid", 505}, {"name", "Safari"}, {"bundleID", "com.apple.Safari"}},
          {{"pid", 700}, {"name", "Zerlith"}, {"bundleID", "com.halvorn.zerlith"}}}},
        {"windows",
         {window(1, kEditor, "\u25CF Notes"), with(window(2, kEditor, "Panel"), {{"layer", 3}}),
          with(window(3, kEditor, "Real layer"), {{"layer", 0.0}}),
          with(window(4, kEditor, "Faint"), {{"alpha", 0.05}}),
          with(window(5, kEditor, "Just visible"), {{"alpha", 0.06}}),
          with(window(6, kEditor, "No alpha"), {{"alpha", nullptr}}),
          window(7, kEditor, "Narrow", rect(0, 0, 119, 600)),
          window(8, kEditor, "Short", rect(0, 0, 800, 59)),
          window(9, kEditor, "Smallest", rect(0, 0, 120, 60)), window(10, kEditor, "\u2022 "),
          window(11, kEditor, " \n\t"),
          with(window(12, kEditor, "x"), {{"title", nullptr}, {"axTitle", "x"}}),
          window(13, 502, "Anonymous"), window(14, 503, "Accessory"), window(15, 504, "Chrome window"),
          window(16, 505, "Safari window"), window(17, 700, "Own palette"), window(18, 999, "No such app"),
          window(19, kEditor, "\u2022 Notes")}},
    });
    const auto targets = enumerate();
    EXPECT_EQ(ids(targets),
              (std::vector<std::string>{"win:com.example.app:Notes", "win:com.example.app:Just visible",
                                        "win:com.example.app:No alpha", "win:com.example.app:Smallest",
                                        "win::Anonymous", "win:com.example.app:Notes#1"}));
    ASSERT_EQ(targets.size(), 6u);
    EXPECT_EQ(targets[4].appName, "Unknown");
    EXPECT_EQ(targets[4].subtitle, "Unknown");
    EXPECT_EQ(targets[4].bundleID, "");
    EXPECT_EQ(targets[5].title, "Notes");
    EXPECT_EQ(targets[5].window->duplicateIndex, 1);
}

TEST(WindowEnumeration, BuildsTheTargetAndItsWindowReference) {
    SimDesktopFixture sim(editorDesktop({
        window(41, kEditor, "Untitled", rect(100, 50, 800, 600)),
        with(window(42, kEditor, "Untitled", rect(5000, 5000, 800, 600)), {{"onscreen", false}}),
    }));
    const auto targets = enumerate();
    ASSERT_EQ(targets.size(), 2u);

    const Target& first = targets[0];
    EXPECT_EQ(first.id, "win:com.example.app:Untitled");
    EXPECT_EQ(first.kind, TargetKind::window);
    EXPECT_EQ(first.title, "Untitled");
    EXPECT_EQ(first.subtitle, "Editor");
    EXPECT_EQ(first.appName, "Editor");
    EXPECT_EQ(first.bundleID, "com.example.app");
    EXPECT_EQ(first.screenName, "Built-in");
    EXPECT_FALSE(first.category);
    EXPECT_FALSE(first.tab);
    ASSERT_TRUE(first.window);
    EXPECT_EQ(first.window->windowID, 41u);
    EXPECT_EQ(first.window->pid, kEditor);
    EXPECT_EQ(first.window->frame, (Rect{100, 50, 800, 600}));
    EXPECT_TRUE(first.window->isOnCurrentSpace);
    EXPECT_EQ(first.window->duplicateIndex, 0);
    EXPECT_TRUE(first.window->raisesDirectly);

    const Target& second = targets[1];
    EXPECT_EQ(second.id, "win:com.example.app:Untitled#1");
    EXPECT_EQ(second.window->duplicateIndex, 1);
    EXPECT_FALSE(second.window->isOnCurrentSpace);
    EXPECT_FALSE(second.window->raisesDirectly) << "windows on other Spaces have no accessibility element";
    EXPECT_FALSE(second.screenName) << "off every screen";
}

TEST(WindowEnumeration, JoinsAccessibilityWindowsByFrameAndTitle) {
    const json frame = rect(10.6, 20, 800, 600);
    struct Case {
        const char* name;
        json window;
        bool matched;
    };
    const Case cases[] = {
        {"same title, other frame", json{{"axFrame", rect(300, 300, 400, 300)}}, true},
        {"marker-cleaned titles agree", json{{"axTitle", "* Doc"}, {"axFrame", rect(0, 0, 1, 1)}}, true},
        {"title prefix with the same size", json{{"axTitle", "Doc (2)"}, {"axFrame", rect(0, 0, 800, 600)}},
         true},
        {"title prefix alone", json{{"axTitle", "Doc (2)"}, {"axFrame", rect(0, 0, 1, 1)}}, false},
        {"unrelated title, same frame", json{{"axTitle", "Other"}}, true},
        {"unrelated title, same origin only", json{{"axTitle", "Other"}, {"axFrame", rect(10.6, 20, 1, 1)}},
         false},
        {"10.4 against 10.6", json{{"axTitle", "Other"}, {"axFrame", rect(10.4, 20, 800, 600)}}, false},
        {"10.5 against 10.6", json{{"axTitle", "Other"}, {"axFrame", rect(10.5, 20, 800, 600)}}, true},
        {"unreadable title", json{{"axTitle", nullptr}}, false},
        {"not in the accessibility tree", json{{"ax", false}}, false},
    };
    for (const auto& [name, overrides, matched] : cases) {
        SimDesktopFixture sim(editorDesktop({with(window(1, kEditor, "Doc", frame), overrides)}));
        const auto targets = enumerate();
        ASSERT_EQ(targets.size(), 1u) << name;
        EXPECT_EQ(targets[0].window->raisesDirectly, matched) << name;
    }
}

TEST(WindowEnumeration, EachAccessibilityWindowServesOneTarget) {
    SimDesktopFixture sim(editorDesktop({
        window(1, kEditor, "Twin"),
        window(2, kEditor, "Twin"),
        window(3, kEditor, "Single"),
        with(window(4, kEditor, "Single"), {{"ax", false}}),
    }));
    const auto targets = enumerate();
    ASSERT_EQ(targets.size(), 4u);
    EXPECT_EQ(raisedWindow(sim, WindowList::elementOf(*targets[0].window)), "performAction window 1 AXRaise");
    EXPECT_EQ(raisedWindow(sim, WindowList::elementOf(*targets[1].window)), "performAction window 2 AXRaise");
    EXPECT_EQ(raisedWindow(sim, WindowList::elementOf(*targets[2].window)), "performAction window 3 AXRaise");
    EXPECT_FALSE(targets[3].window->raisesDirectly) << "the only candidate was taken by the first Single";
}

TEST(WindowEnumeration, PermissionsNarrowTheResult) {
    {
        SimDesktopFixture sim(editorDesktop({window(1, kEditor, "Doc")}, {{"screenRecording", false}}));
        EXPECT_TRUE(enumerate().empty()) << "no window list without Screen Recording";
    }
    {
        SimDesktopFixture sim(editorDesktop({window(1, kEditor, "Doc"), window(2, kEditor, "Two")},
                                            {{"accessibility", false}}));
        const auto targets = enumerate();
        ASSERT_EQ(targets.size(), 2u);
        for (const auto& target : targets) EXPECT_FALSE(target.window->raisesDirectly) << target.id;
    }
    {
        SimDesktopFixture sim(json{{"windows", {window(1, kEditor, "Doc")}}});
        EXPECT_TRUE(enumerate().empty()) << "no applications at all";
    }
}

TEST(WindowEnumeration, UnresponsiveApplicationsKeepTheirWindowsWithoutElements) {
    SimDesktopFixture sim({
        {"apps",
         {{{"pid", 1}, {"name", "Broken"}, {"axError", true}},
          {{"pid", 2}, {"name", "Hung"}, {"axHang", true}},
          {{"pid", 3}, {"name", "Fine"}}}},
        {"windows", {window(1, 1, "Broken doc"), window(2, 2, "Hung doc"), window(3, 3, "Fine doc")}},
    });
    const auto before = sim.clock.monotonicNanos();
    const auto targets = enumerate();
    const double waited = static_cast<double>(sim.clock.monotonicNanos() - before) / 1e9;

    ASSERT_EQ(targets.size(), 3u);
    EXPECT_FALSE(targets[0].window->raisesDirectly);
    EXPECT_FALSE(targets[1].window->raisesDirectly);
    EXPECT_TRUE(targets[2].window->raisesDirectly);
    EXPECT_GE(waited, 0.25);
    EXPECT_LT(waited, 1.0) << "the hung application costs one messaging timeout of 0.25 s, not the default";
}

TEST(WindowEnumeration, BrowsersConnectedThroughTheirExtensionAreListedByTheirTabsOnly) {
    SimDesktopFixture sim({
        {"apps",
         {{{"pid", 900}, {"name", "Chromium"}, {"bundleID", "chromium"}},
          {{"pid", 901}, {"name", "Brave"}, {"bundleID", "brave-browser"}},
          {{"pid", 902}, {"name", "Google Chrome"}, {"bundleID", "com.google.Chrome"}}}},
        {"windows", {window(1, 900, "Docs - Chromium"), window(2, 901, "Mail - Brave"), window(3, 902, "News - Chrome")}},
    });
    testing::BridgedPlatform bridged;
    bridged.bridge.connected = {{"chrome", 900, {}, ""}};
    std::vector<std::string> titles;
    for (const auto& target : enumerate()) titles.push_back(target.title);
    EXPECT_EQ(titles, (std::vector<std::string>{"Mail - Brave", "News - Chrome"}))
        << "a browser without the extension keeps its windows";
}

}  // namespace
}  // namespace zerlith::WindowSource
