// Accessibility over EWMH: what application and window elements read, and what writes make the
// window manager do.

#include <gtest/gtest.h>

#include "system/ax.hpp"
#include "x11/support/desktop_fixture.hpp"

namespace zerlith::x11::testing {
namespace {

namespace ax = platform::ax;
using platform::AXError;

class X11AccessibilityTest : public X11DesktopTest {
protected:
    platform::Accessibility& accessibility() { return desktop().accessibility(); }

    std::vector<std::string> windowTitles(Pid pid) {
        platform::ScopedPlatform installed(desktop());
        std::vector<std::string> titles;
        for (auto& window : AX::elements(AX::application(pid, 1.0), ax::kWindows).value_or(std::vector<platform::AXElementRef>{})) {
            titles.push_back(AX::string(window, ax::kTitle).value_or("?"));
        }
        return titles;
    }

    bool becomesActive(xcb_window_t window) {
        return eventually([&] { return probe().activeWindow() == window; });
    }
};

TEST_F(X11AccessibilityTest, ApplicationListsItsWindowsOnTheCurrentDesktopMinimizedIncluded) {
    auto windows = map({"--title", "One", "--pid", "301",  //
                        "--title", "Two", "--pid", "301", "--state", "hidden",
                        "--title", "Three", "--pid", "301", "--desktop", "1",
                        "--title", "Other", "--pid", "302"});
    EXPECT_EQ(windowTitles(301), (std::vector<std::string>{"Two", "One"}));
    EXPECT_EQ(windowTitles(302), (std::vector<std::string>{"Other"}));
    auto unknown = accessibility().copyAttribute(accessibility().application(999), ax::kWindows);
    EXPECT_EQ(unknown.error, AXError::cannotComplete);
}

TEST_F(X11AccessibilityTest, FocusedWindowAndFrontmostFollowTheActiveWindow) {
    auto windows = map({"--title", "Quiet", "--pid", "311", "--title", "Focused", "--pid", "312"});
    ASSERT_TRUE(becomesActive((*windows)[1]));
    platform::ScopedPlatform installed(desktop());
    auto focused = AX::element(AX::application(312, 1.0), ax::kFocusedWindow);
    ASSERT_TRUE(focused);
    EXPECT_EQ(AX::string(*focused, ax::kTitle), "Focused");
    EXPECT_EQ(AX::boolean(*focused, ax::kMain), true);
    EXPECT_EQ(AX::boolean(AX::application(312, 1.0), ax::kFrontmost), true);
    EXPECT_EQ(AX::boolean(AX::application(311, 1.0), ax::kFrontmost), false);
    EXPECT_EQ(accessibility().copyAttribute(AX::application(311, 1.0), ax::kFocusedWindow).error, AXError::noValue);
}

TEST_F(X11AccessibilityTest, WindowReadsItsTitleFrameAndStates) {
    auto windows = map({"--title", "Plain", "--pid", "321", "--frame", "2000,150,700,500",  //
                        "--title", "Hidden", "--pid", "321", "--state", "hidden",
                        "--title", "Full", "--pid", "321", "--state", "fullscreen"});
    auto plain = element(321, (*windows)[0]);
    ASSERT_TRUE(plain);
    platform::ScopedPlatform installed(desktop());
    EXPECT_EQ(AX::frame(plain), probe().frame((*windows)[0]));  // the left monitor's corner is the origin
    EXPECT_EQ(AX::boolean(plain, ax::kMinimized), false);
    EXPECT_EQ(AX::boolean(element(321, (*windows)[1]), ax::kMinimized), true);
    EXPECT_EQ(AX::boolean(element(321, (*windows)[2]), ax::kFullScreen), true);
    EXPECT_EQ(accessibility().copyAttribute(plain, ax::kMenuBar).error, AXError::attributeUnsupported);

    probe().destroy((*windows)[0]);
    EXPECT_TRUE(eventually([&] { return accessibility().copyAttribute(plain, ax::kTitle).error == AXError::failure; }));
}

TEST_F(X11AccessibilityTest, RaisingAWindowOnAnotherDesktopSwitchesThereAndActivatesIt) {
    auto windows = map({"--title", "Away", "--pid", "331", "--desktop", "1", "--title", "Home", "--pid", "332"});
    ASSERT_EQ(probe().currentDesktop(), 0u);
    auto home = element(332, (*windows)[1]);
    ASSERT_TRUE(home);
    EXPECT_FALSE(element(331, (*windows)[0]));  // no element on another desktop: activate its application

    EXPECT_TRUE(desktop().workspace().activate(331));
    EXPECT_TRUE(becomesActive((*windows)[0]));
    EXPECT_EQ(probe().currentDesktop(), 1u);

    EXPECT_EQ(accessibility().performAction(home, ax::kRaise), AXError::success);
    EXPECT_TRUE(becomesActive((*windows)[1]));
    EXPECT_EQ(probe().currentDesktop(), 0u);
}

TEST_F(X11AccessibilityTest, UnminimizingRestoresAndActivates) {
    auto windows = map({"--title", "Tucked away", "--pid", "341", "--state", "hidden", "--title", "Front", "--pid", "342"});
    auto tucked = element(341, (*windows)[0]);
    ASSERT_TRUE(tucked);
    EXPECT_EQ(accessibility().setAttribute(tucked, ax::kMinimized, false), AXError::success);
    EXPECT_TRUE(becomesActive((*windows)[0]));
    EXPECT_FALSE(probe().hasState((*windows)[0], probe().ewmh()._NET_WM_STATE_HIDDEN));
    EXPECT_EQ(accessibility().setAttribute(tucked, ax::kMinimized, true), AXError::attributeUnsupported);
}

TEST_F(X11AccessibilityTest, ActivatingTheApplicationRightAfterARaiseKeepsTheRaisedWindow) {
    auto windows = map({"--title", "Older", "--pid", "351", "--title", "Newer", "--pid", "351"});
    ASSERT_TRUE(becomesActive((*windows)[1]));
    auto older = element(351, (*windows)[0]);
    ASSERT_TRUE(older);
    // The core raises the window, then activates its application before the window manager acted.
    ASSERT_EQ(accessibility().performAction(older, ax::kRaise), AXError::success);
    ASSERT_TRUE(desktop().workspace().activate(351));
    EXPECT_TRUE(becomesActive((*windows)[0]));
}

TEST_F(X11AccessibilityTest, FullScreenCanBeLeft) {
    auto windows = map({"--title", "Cinema", "--pid", "361", "--state", "fullscreen"});
    auto cinema = element(361, (*windows)[0]);
    ASSERT_TRUE(cinema);
    EXPECT_EQ(accessibility().setAttribute(cinema, ax::kFullScreen, false), AXError::success);
    EXPECT_TRUE(eventually([&] { return !probe().hasState((*windows)[0], probe().ewmh()._NET_WM_STATE_FULLSCREEN); }));
}

TEST_F(X11AccessibilityTest, PositionAndSizeSetTheFrameDecorationsIncluded) {
    auto windows = map({"--title", "Mover", "--pid", "371", "--frame", "100,100,600,400"});
    auto mover = element(371, (*windows)[0]);
    ASSERT_TRUE(mover);
    EXPECT_EQ(accessibility().setAttribute(mover, ax::kPosition, Point{2100, 120}), AXError::success);
    EXPECT_EQ(accessibility().setAttribute(mover, ax::kSize, Size{900, 700}), AXError::success);
    const Rect wanted{2100, 120, 900, 700};
    EXPECT_TRUE(eventually([&] { return probe().frame((*windows)[0]) == wanted; }))
        << "frame " << probe().frame((*windows)[0])->x << "," << probe().frame((*windows)[0])->y;
    platform::ScopedPlatform installed(desktop());
    EXPECT_TRUE(eventually([&] { return AX::frame(mover) == wanted; }));
    EXPECT_EQ(accessibility().setAttribute(mover, ax::kPosition, Size{1, 1}), AXError::illegalArgument);
}

}  // namespace
}  // namespace zerlith::x11::testing
