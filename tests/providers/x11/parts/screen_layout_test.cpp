// Monitors as screens: order, primary, coordinate spaces and visible frames.

#include <gtest/gtest.h>

#include "providers/x11/screen_layout.hpp"

namespace zerlith::x11 {
namespace {

ScreenLayout layoutOf(std::vector<Monitor> monitors, std::optional<Rect> workArea = std::nullopt,
                      Rect root = {0, 0, 3840, 1080}) {
    return ScreenLayout(std::move(monitors), workArea, root);
}

std::vector<std::string> names(const std::vector<platform::Screen>& screens) {
    std::vector<std::string> result;
    for (const auto& screen : screens) result.push_back(screen.name);
    return result;
}

TEST(ScreenLayoutTest, PrimaryComesFirstThenLeftToRightWhateverRandrsOrder) {
    struct Case {
        const char* what;
        std::vector<Monitor> monitors;
        std::vector<std::string> order;
    };
    const Case cases[] = {
        {"the one at the origin", {{"B", {1920, 0, 1920, 1080}}, {"A", {0, 0, 1920, 1080}}}, {"A", "B"}},
        {"RandR's primary", {{"A", {0, 0, 1920, 1080}}, {"C", {3840, 0, 800, 600}}, {"B", {1920, 0, 1920, 1080}, true}},
         {"B", "A", "C"}},
        {"the top-left-most", {{"Low", {100, 500, 800, 600}}, {"High", {900, 0, 800, 600}}}, {"High", "Low"}},
    };
    for (const Case& c : cases) EXPECT_EQ(names(layoutOf(c.monitors).screens()), c.order) << c.what;
}

TEST(ScreenLayoutTest, FramesAreBottomLeftFromThePrimaryMonitor) {
    // The primary monitor is the lower right one; the other stands 300 pixels higher on its left.
    auto layout = layoutOf({{"Side", {0, 0, 1280, 1024}}, {"Main", {1280, 300, 1920, 1080}, true}},
                           Rect{0, 0, 3200, 1350}, Rect{0, 0, 3200, 1380});
    const auto& screens = layout.screens();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[0].frame, (Rect{0, 0, 1920, 1080}));
    EXPECT_EQ(screens[1].frame, (Rect{-1280, 356, 1280, 1024}));  // its top 300 above the primary's
    EXPECT_EQ(screens[0].visibleFrame, (Rect{0, 30, 1920, 1050}));  // the work area ends 30 above the bottom

    const desktop::LayoutSpace& space = layout.space();
    EXPECT_EQ(space.toTopLeft(Rect{1300, 310, 100, 50}), (Rect{20, 10, 100, 50}));
    EXPECT_EQ(space.layoutFromTopLeft(Point{20, 10}), (Point{1300, 310}));
    EXPECT_EQ(space.toBottomLeft(Point{1280, 300}), (Point{0, 1080}));
}

TEST(ScreenLayoutTest, WithoutMonitorsTheRootIsTheOneScreenAndWithoutRootThereIsNone) {
    auto layout = layoutOf({}, std::nullopt, Rect{0, 0, 1024, 768});
    const auto& screens = layout.screens();
    ASSERT_EQ(screens.size(), 1u);
    EXPECT_EQ(screens[0].frame, (Rect{0, 0, 1024, 768}));
    EXPECT_EQ(screens[0].visibleFrame, screens[0].frame);
    EXPECT_TRUE(ScreenLayout().screens().empty());
}

TEST(ScreenLayoutTest, ScreenHoldingARectangleHasTheLargerShare) {
    auto layout = layoutOf({{"L", {0, 0, 1920, 1080}}, {"R", {1920, 0, 1920, 1080}}});
    EXPECT_EQ(layout.screenHolding(Rect{1800, 0, 400, 300})->name, "R");
    EXPECT_EQ(layout.screenHolding(Rect{1720, 0, 400, 300})->name, "L");
    EXPECT_FALSE(layout.screenHolding(Rect{5000, 0, 100, 100}));
    EXPECT_EQ(layout.screens()[0].id, layoutOf({{"L", {0, 0, 800, 600}}}).screens()[0].id);  // id follows the name
}

}  // namespace
}  // namespace zerlith::x11
