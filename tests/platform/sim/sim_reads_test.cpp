#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "ax_helpers.hpp"
#include "support/sim_fixture.hpp"

namespace zerlith::testing {
namespace {

using nlohmann::json;
using platform::AXError;
namespace ax = platform::ax;

json rect(double x, double y, double w, double h) { return {{"x", x}, {"y", y}, {"w", w}, {"h", h}}; }

json window(int number, int pid, const char* title) {
    return {{"number", number}, {"pid", pid}, {"title", title}, {"frame", rect(10, 30, 800, 600)}};
}

/// Notes (501) with three windows and Mail (502) with one, front to back: Mail, Notes...
json desktop() {
    json notesOther = window(13, 501, "Other Space");
    notesOther["onscreen"] = false;
    json notesMinimized = window(14, 501, "Minimized");
    notesMinimized["minimized"] = true;
    json notesMain = window(12, 501, "Groceries");
    notesMain["axFrame"] = rect(11, 31, 790, 590);
    return {{"screens",
             {{{"name", "Built-in"}, {"frame", rect(0, 0, 1512, 982)}},
              {{"name", "DELL"},
               {"frame", rect(1512, 0, 2560, 1440)},
               {"visibleFrame", rect(1512, 0, 2560, 1415)}}}},
            {"mainScreen", 1},
            {"pointer", {{"x", 2000}, {"y", 700}}},
            {"apps",
             {{{"pid", 502}, {"name", "Mail"}, {"bundleID", "com.apple.mail"}},
              {{"pid", 501}, {"name", "Notes"}, {"policy", "accessory"}},
              {{"pid", 503}}}},
            {"windows", {window(20, 502, "Inbox"), notesOther, notesMinimized, notesMain}},
            {"frontmost", 502},
            {"selfPid", 777}};
}

class SimReads : public ::testing::Test {
protected:
    SimDesktopFixture sim{desktop()};
    platform::Accessibility& ax = sim.desktop().accessibility();
};

TEST_F(SimReads, WindowRecordsCarryTheirKeysFrontToBack) {
    sim.desktop().update([](sim::DesktopModel& model) {
        model.windows[0].title.reset();
        model.windows[0].alpha.reset();
        model.windows[1].layer = 2.5;
    });
    const auto records = sim.desktop().windowServer().windowList();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_FALSE(records[0].name);
    EXPECT_FALSE(records[0].alpha);
    EXPECT_EQ(std::get<std::int64_t>(records[0].number.value()), 20);
    EXPECT_EQ(std::get<std::int64_t>(records[0].ownerPID.value()), 502);
    EXPECT_EQ(std::get<std::int64_t>(records[0].layer.value()), 0);
    EXPECT_EQ(std::get<double>(records[1].layer.value()), 2.5);
    EXPECT_EQ(std::get<bool>(records[1].isOnscreen.value()), false);
    const auto& main = records[3];
    EXPECT_EQ(std::get<std::string>(main.name.value()), "Groceries");
    EXPECT_EQ(std::get<double>(main.alpha.value()), 1.0);
    EXPECT_EQ(std::get<platform::WindowBounds>(main.bounds.value()),
              (platform::WindowBounds{10, 30, 800, 600}));
}

TEST_F(SimReads, ScreenRecordingOffHidesTitles) {
    sim.desktop().update([](sim::DesktopModel& model) { model.permissions.screenRecording = false; });
    EXPECT_FALSE(sim.desktop().windowServer().preflightScreenCaptureAccess());
    for (const auto& record : sim.desktop().windowServer().windowList())
        EXPECT_FALSE(record.name);
}

TEST_F(SimReads, WorkspaceAndDisplayReadTheDesktop) {
    auto& workspace = sim.desktop().workspace();
    const auto apps = workspace.runningApplications();
    ASSERT_EQ(apps.size(), 3u);
    EXPECT_EQ(apps[1].pid, 501);
    EXPECT_EQ(apps[1].activationPolicy, platform::ActivationPolicy::accessory);
    EXPECT_FALSE(apps[2].localizedName);
    EXPECT_FALSE(apps[2].bundleIdentifier);
    EXPECT_EQ(workspace.frontmostApplication()->pid, 502);
    EXPECT_EQ(workspace.ownPid(), 777);

    auto& display = sim.desktop().display();
    const auto screens = display.screens();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[0].id, 1u);
    EXPECT_EQ(screens[1].visibleFrame, (Rect{1512, 0, 2560, 1415}));
    EXPECT_EQ(display.mainScreen()->name, "DELL");
    EXPECT_EQ(display.pointerLocation(), (Point{2000, 700}));

    sim.desktop().update([](sim::DesktopModel& model) {
        model.frontmost = 999;
        model.selfPid.reset();
        model.screens.clear();
    });
    EXPECT_FALSE(workspace.frontmostApplication()) << "a pid of no app is no frontmost app";
    EXPECT_EQ(workspace.ownPid(), sim::kNoSelfPid);
    EXPECT_FALSE(display.mainScreen());
}

TEST_F(SimReads, AnAppListsItsAccessibleWindowsAndFocusesTheFrontmostUnminimizedOne) {
    const auto notes = ax.application(501);
    EXPECT_EQ(titles(ax, children(ax, notes, ax::kWindows)),
              (std::vector<std::string>{"Minimized", "Groceries"}));
    const auto focused = readAs<platform::AXElementRef>(ax, notes, ax::kFocusedWindow);
    ASSERT_TRUE(focused);
    EXPECT_EQ(readAs<std::string>(ax, *focused, ax::kTitle), "Groceries");
    EXPECT_EQ(readAs<Point>(ax, *focused, ax::kPosition), (Point{11, 31})) << "from axFrame";
    EXPECT_EQ(readAs<Size>(ax, *focused, ax::kSize), (Size{790, 590}));
    EXPECT_EQ(readAs<bool>(ax, *focused, ax::kMinimized), false);
    EXPECT_EQ(readAs<bool>(ax, *focused, ax::kFullScreen), false);
    EXPECT_EQ(readAs<bool>(ax, notes, ax::kFrontmost), false);
    EXPECT_EQ(readAs<bool>(ax, ax.application(502), ax::kFrontmost), true);

    EXPECT_EQ(ax.copyAttribute(ax.application(503), ax::kFocusedWindow).error, AXError::noValue);
    EXPECT_EQ(ax.copyAttribute(ax.application(4242), ax::kWindows).error, AXError::cannotComplete);
}

TEST_F(SimReads, AnUnreadableTitleHasNoValue) {
    sim.desktop().update([](sim::DesktopModel& model) { model.windows[3].axTitle.reset(); });
    const auto focused = readAs<platform::AXElementRef>(ax, ax.application(501), ax::kFocusedWindow);
    EXPECT_EQ(ax.copyAttribute(*focused, ax::kTitle).error, AXError::noValue);
}

TEST_F(SimReads, ElementsOfGoneWindowsAndAppsFailWithoutHarm) {
    const auto windows = children(ax, ax.application(501), ax::kWindows);
    const auto items = menuItems(ax, 501, "Window");
    ASSERT_EQ(items.size(), 3u);
    sim.desktop().update([](sim::DesktopModel& model) { model.windows.pop_back(); });
    EXPECT_EQ(ax.copyAttribute(windows.back(), ax::kTitle).error, AXError::failure);
    EXPECT_EQ(ax.performAction(windows.back(), ax::kRaise), AXError::failure);
    EXPECT_EQ(ax.performAction(items.back(), ax::kPress), AXError::failure);
    sim.desktop().update([](sim::DesktopModel& model) { model.apps.erase(model.apps.begin() + 1); });
    EXPECT_EQ(ax.copyAttribute(windows.front(), ax::kTitle).error, AXError::cannotComplete);
}

TEST_F(SimReads, TheDerivedWindowMenuNamesEveryWindowOfTheApp) {
    EXPECT_EQ(titles(ax, menuItems(ax, 501, "Window")),
              (std::vector<std::string>{"Other Space", "Minimized", "Groceries"}));
    sim.desktop().update([](sim::DesktopModel& model) { model.windows[1].axTitle.reset(); });
    EXPECT_EQ(titles(ax, menuItems(ax, 501, "Window"))[0], "Other Space")
        << "the window-server title stands in";
}

TEST_F(SimReads, GivenMenusReplaceTheDerivedOne) {
    sim.desktop().update([](sim::DesktopModel& model) {
        model.apps[0].menus = {{{"File", {{"New", std::nullopt}}}, {"Window", {{"Minimize", std::nullopt}}}}};
        model.apps[1].menus.emplace();
    });
    const auto bar = readAs<platform::AXElementRef>(ax, ax.application(502), ax::kMenuBar);
    EXPECT_EQ(titles(ax, children(ax, *bar)), (std::vector<std::string>{"File", "Window"}));
    EXPECT_EQ(titles(ax, menuItems(ax, 502, "File")), (std::vector<std::string>{"New"}));
    const auto emptyBar = readAs<platform::AXElementRef>(ax, ax.application(501), ax::kMenuBar);
    ASSERT_TRUE(emptyBar);
    const auto reading = ax.copyAttribute(*emptyBar, ax::kChildren);
    EXPECT_EQ(reading.error, AXError::success);
    EXPECT_TRUE(std::get<std::vector<platform::AXElementRef>>(*reading.value).empty());
}

TEST_F(SimReads, AnAppWithAnAccessibilityErrorHidesWindowsFocusAndMenus) {
    sim.desktop().update([](sim::DesktopModel& model) { model.apps[1].axError = true; });
    const auto notes = ax.application(501);
    for (const auto attribute : {ax::kWindows, ax::kFocusedWindow, ax::kMenuBar})
        EXPECT_EQ(ax.copyAttribute(notes, attribute).error, AXError::failure) << attribute;
    EXPECT_EQ(readAs<bool>(ax, notes, ax::kFrontmost), false);
}

TEST_F(SimReads, AHungAppAnswersOnlyAfterTheMessagingTimeout) {
    const auto focused = readAs<platform::AXElementRef>(ax, ax.application(501), ax::kFocusedWindow);
    sim.desktop().update([](sim::DesktopModel& model) { model.apps[1].axHang = true; });

    const double start = sim.clock.now();
    EXPECT_EQ(ax.copyAttribute(ax.application(501), ax::kFrontmost).error, AXError::cannotComplete);
    EXPECT_DOUBLE_EQ(sim.clock.now() - start, 6.0) << "the default timeout";

    const auto app = ax.application(501);
    ax.setMessagingTimeout(app, 0.25);
    EXPECT_EQ(ax.copyAttribute(app, ax::kWindows).error, AXError::cannotComplete);
    EXPECT_DOUBLE_EQ(sim.clock.now() - start, 6.25);

    ax.setMessagingTimeout(*focused, 0.5);
    EXPECT_EQ(ax.performAction(*focused, ax::kRaise), AXError::cannotComplete);
    EXPECT_DOUBLE_EQ(sim.clock.now() - start, 6.75);
    EXPECT_TRUE(sim.desktop().actionLog().empty());
}

TEST_F(SimReads, ElementsReadFromAnAppKeepItsTimeout) {
    const auto app = ax.application(501);
    ax.setMessagingTimeout(app, 1.0);
    const auto bar = readAs<platform::AXElementRef>(ax, app, ax::kMenuBar);
    const auto windows = children(ax, app, ax::kWindows);
    sim.desktop().update([](sim::DesktopModel& model) { model.apps[1].axHang = true; });
    const double start = sim.clock.now();
    EXPECT_EQ(ax.copyAttribute(windows.front(), ax::kTitle).error, AXError::cannotComplete);
    EXPECT_DOUBLE_EQ(sim.clock.now() - start, 1.0);
    EXPECT_EQ(ax.copyAttribute(*bar, ax::kChildren).error, AXError::cannotComplete);
    EXPECT_DOUBLE_EQ(sim.clock.now() - start, 2.0);
}

TEST_F(SimReads, WithoutAccessibilityEveryReadOfAnotherAppFails) {
    sim.desktop().update([](sim::DesktopModel& model) { model.permissions.accessibility = false; });
    EXPECT_FALSE(ax.isProcessTrusted());
    EXPECT_EQ(ax.copyAttribute(ax.application(501), ax::kWindows).error, AXError::failure);
    EXPECT_EQ(ax.copyAttribute(ax.application(502), ax::kFrontmost).error, AXError::failure);
}

TEST(SimDesktopFixtureTest, ARefusedDesktopFailsTheTestAndLeavesAnEmptyDesktop) {
    EXPECT_NONFATAL_FAILURE(
        {
            SimDesktopFixture refused(json{{"apps", 5}});
            EXPECT_TRUE(refused.desktop().workspace().runningApplications().empty());
        },
        "fixture desktop: apps: expected an array");
}

}  // namespace
}  // namespace zerlith::testing
