#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "ax_helpers.hpp"
#include "platform/sim/desktop_rules.hpp"
#include "support/sim_fixture.hpp"

namespace zerlith::testing {
namespace {

using nlohmann::json;
using platform::AXError;
namespace ax = platform::ax;

json window(int number, int pid, const char* title) {
    return {{"number", number},
            {"pid", pid},
            {"title", title},
            {"frame", {{"x", 0}, {"y", 30}, {"w", 800}, {"h", 600}}}};
}

/// Front to back: Mail 20, Notes 12, Mail 21, Notes 13 (on another Space), Notes 14.
json desktop() {
    json other = window(13, 501, "Other Space");
    other["onscreen"] = false;
    return {{"apps", {{{"pid", 501}, {"name", "Notes"}}, {{"pid", 502}, {"name", "Mail"}}}},
            {"windows",
             {window(20, 502, "Inbox"), window(12, 501, "Groceries"), window(21, 502, "Drafts"), other,
              window(14, 501, "Recipes")}},
            {"frontmost", 502}};
}

class SimReactions : public ::testing::Test {
protected:
    std::vector<std::int64_t> order() {
        std::vector<std::int64_t> numbers;
        for (const auto& w : sim.desktop().state().windows) numbers.push_back(w.number);
        return numbers;
    }

    const sim::Window& stateOf(std::int64_t number) {
        snapshot_ = sim.desktop().state();
        return *sim::findWindow(snapshot_, number);
    }

    platform::AXElementRef axWindow(Pid pid, const std::string& title) {
        for (const auto& element : children(ax, ax.application(pid), ax::kWindows))
            if (readAs<std::string>(ax, element, ax::kTitle) == title) return element;
        ADD_FAILURE() << "no accessible window " << title;
        return nullptr;
    }

    platform::AXElementRef windowMenuItem(Pid pid, const std::string& title) {
        for (const auto& item : menuItems(ax, pid, "Window"))
            if (readAs<std::string>(ax, item, ax::kTitle) == title) return item;
        ADD_FAILURE() << "no menu item " << title;
        return nullptr;
    }

    SimDesktopFixture sim{desktop()};
    platform::Accessibility& ax = sim.desktop().accessibility();

private:
    sim::DesktopModel snapshot_;
};

TEST_F(SimReactions, RaiseBringsAWindowBeforeItsAppsOthersOntoTheCurrentSpace) {
    const auto windows = children(ax, ax.application(501), ax::kWindows);
    ASSERT_EQ(titles(ax, windows), (std::vector<std::string>{"Groceries", "Recipes"}));
    EXPECT_EQ(ax.performAction(windows[1], ax::kRaise), AXError::success);
    EXPECT_EQ(order(), (std::vector<std::int64_t>{20, 14, 12, 21, 13}));
    EXPECT_EQ(sim.desktop().state().frontmost, 502) << "raising does not activate";

    sim.desktop().update([](sim::DesktopModel& model) { model.windows[4].ax = true; });
    EXPECT_EQ(ax.performAction(axWindow(501, "Other Space"), ax::kRaise), AXError::success);
    EXPECT_TRUE(stateOf(13).onscreen);
    EXPECT_EQ(order(), (std::vector<std::int64_t>{20, 13, 14, 12, 21}));
    EXPECT_EQ(sim.desktop().actionLog(), (std::vector<std::string>{"performAction window 14 AXRaise",
                                                                   "performAction window 13 AXRaise"}));
}

TEST_F(SimReactions, ActivationPutsTheAppFrontmostWithItsWindowsInOrder) {
    auto& workspace = sim.desktop().workspace();
    EXPECT_TRUE(workspace.activate(501));
    EXPECT_EQ(order(), (std::vector<std::int64_t>{12, 13, 14, 20, 21}));
    EXPECT_EQ(workspace.frontmostApplication()->pid, 501);
    EXPECT_EQ(readAs<bool>(ax, ax.application(501), ax::kFrontmost), true);
    EXPECT_EQ(readAs<bool>(ax, ax.application(502), ax::kFrontmost), false);
    EXPECT_FALSE(workspace.activate(999));
    EXPECT_EQ(sim.desktop().actionLog(), (std::vector<std::string>{"activate 501"}));
}

TEST_F(SimReactions, PressingAWindowMenuItemRaisesAndActivates) {
    EXPECT_EQ(ax.performAction(windowMenuItem(501, "Other Space"), ax::kPress), AXError::success);
    EXPECT_EQ(order(), (std::vector<std::int64_t>{13, 12, 14, 20, 21}));
    EXPECT_EQ(sim.desktop().state().frontmost, 501);
    const auto focused = readAs<platform::AXElementRef>(ax, ax.application(501), ax::kFocusedWindow);
    EXPECT_EQ(readAs<std::string>(ax, *focused, ax::kTitle), "Other Space");
    EXPECT_EQ(sim.desktop().actionLog(), (std::vector<std::string>{"press menuItem 501 Other Space"}));
}

TEST_F(SimReactions, AnAppThatNeedsActivationIgnoresPressesWhileInTheBackground) {
    sim.desktop().update([](sim::DesktopModel& model) { model.apps[0].pressNeedsActivation = true; });
    const auto item = windowMenuItem(501, "Recipes");
    EXPECT_EQ(ax.performAction(item, ax::kPress), AXError::success) << "accepted, as a real press is";
    EXPECT_EQ(order(), (std::vector<std::int64_t>{20, 12, 21, 13, 14}));

    sim.desktop().workspace().activate(501);
    EXPECT_EQ(ax.performAction(item, ax::kPress), AXError::success);
    EXPECT_EQ(order(), (std::vector<std::int64_t>{14, 12, 13, 20, 21}));
    EXPECT_EQ(sim.desktop().actionLog(),
              (std::vector<std::string>{"press menuItem 501 Recipes (app not frontmost: no effect)",
                                        "activate 501", "press menuItem 501 Recipes"}));
}

TEST_F(SimReactions, DerivedMenuItemsKeepTheirWindowWhenWindowsReorder) {
    const auto items = menuItems(ax, 501, "Window");
    ASSERT_EQ(titles(ax, items), (std::vector<std::string>{"Groceries", "Other Space", "Recipes"}));
    ax.performAction(items[2], ax::kPress);
    EXPECT_EQ(titles(ax, menuItems(ax, 501, "Window")),
              (std::vector<std::string>{"Recipes", "Groceries", "Other Space"}));
    ax.performAction(items[0], ax::kPress);
    EXPECT_EQ(order().front(), 12) << "the stale item still names Groceries";
}

TEST_F(SimReactions, GivenMenuItemsRaiseWhatTheyNameOrNothing) {
    sim.desktop().update([](sim::DesktopModel& model) {
        model.apps[0].menus = {{"Window", {{"Zoom", std::nullopt}, {"Recipes", 14}, {"Vanished", 99}}}};
    });
    const auto items = menuItems(ax, 501, "Window");
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(ax.performAction(items[0], ax::kPress), AXError::success);
    EXPECT_EQ(ax.performAction(items[2], ax::kPress), AXError::success);
    EXPECT_EQ(order(), (std::vector<std::int64_t>{20, 12, 21, 13, 14}));
    ax.performAction(items[1], ax::kPress);
    EXPECT_EQ(order().front(), 14);
    EXPECT_EQ(ax.performAction(items[1], ax::kRaise), AXError::actionUnsupported);
}

TEST_F(SimReactions, WritesChangeTheWindowAndAreLogged) {
    const auto recipes = axWindow(501, "Recipes");
    sim.desktop().update([](sim::DesktopModel& model) {
        model.windows[4].minimized = true;
        model.windows[4].fullScreen = true;
    });
    EXPECT_EQ(ax.setAttribute(recipes, ax::kMinimized, false), AXError::success);
    EXPECT_EQ(ax.setAttribute(recipes, ax::kFullScreen, false), AXError::success);
    EXPECT_EQ(ax.setAttribute(recipes, ax::kPosition, Point{100, 50.5}), AXError::success);
    EXPECT_EQ(ax.setAttribute(recipes, ax::kSize, Size{1024, 700}), AXError::success);
    EXPECT_EQ(ax.setAttribute(recipes, ax::kMain, true), AXError::success);
    const auto& after = stateOf(14);
    EXPECT_FALSE(after.minimized);
    EXPECT_FALSE(after.fullScreen);
    EXPECT_EQ(after.frame, (Rect{100, 50.5, 1024, 700}));
    EXPECT_EQ(after.axFrame, after.frame);
    EXPECT_EQ(order(), (std::vector<std::int64_t>{20, 14, 12, 21, 13}))
        << "AXMain puts it before its app's others";
    EXPECT_EQ(readAs<bool>(ax, recipes, ax::kMain), true);
    EXPECT_EQ(sim.desktop().actionLog(),
              (std::vector<std::string>{
                  "setAttribute window 14 AXMinimized false", "setAttribute window 14 AXFullScreen false",
                  "setAttribute window 14 AXPosition 100,50.5", "setAttribute window 14 AXSize 1024,700",
                  "setAttribute window 14 AXMain true"}));
}

TEST_F(SimReactions, WritesOfTheWrongKindAreRefusedUnchanged) {
    const auto recipes = axWindow(501, "Recipes");
    EXPECT_EQ(ax.setAttribute(recipes, ax::kPosition, Size{1, 2}), AXError::illegalArgument);
    EXPECT_EQ(ax.setAttribute(recipes, ax::kMinimized, std::string("no")), AXError::illegalArgument);
    EXPECT_EQ(ax.setAttribute(recipes, ax::kTitle, std::string("Renamed")), AXError::attributeUnsupported);
    EXPECT_EQ(ax.setAttribute(ax.application(501), ax::kFrontmost, true), AXError::attributeUnsupported);
    EXPECT_EQ(ax.performAction(ax.application(501), ax::kRaise), AXError::actionUnsupported);
    EXPECT_EQ(ax.copyAttribute(nullptr, ax::kTitle).error, AXError::illegalArgument);
    EXPECT_TRUE(sim.desktop().actionLog().empty());
}

TEST_F(SimReactions, ReadersOnOtherThreadsSeeWholeStatesWhileTheDesktopChanges) {
    std::vector<std::thread> readers;
    std::atomic<int> torn = 0;
    for (int i = 0; i < 4; ++i) {
        readers.emplace_back([&] {
            for (int round = 0; round < 200; ++round) {
                if (sim.desktop().windowServer().windowList().size() % 5 != 0) ++torn;
                const auto windows = children(ax, ax.application(501), ax::kWindows);
                if (!windows.empty()) ax.performAction(windows.back(), ax::kRaise);
                titles(ax, menuItems(ax, 501, "Window"));
            }
        });
    }
    for (int round = 0; round < 200; ++round) {
        sim.desktop().update([](sim::DesktopModel& model) {
            model.windows.insert(model.windows.end(), model.windows.begin(), model.windows.begin() + 5);
            for (auto& window : model.windows) window.number += 100;
            model.windows.erase(model.windows.begin(), model.windows.begin() + 5);
        });
        sim.desktop().workspace().activate(round % 2 == 0 ? 501 : 502);
    }
    for (auto& reader : readers) reader.join();
    EXPECT_EQ(torn, 0);
}

}  // namespace
}  // namespace zerlith::testing
