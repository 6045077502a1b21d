#include "desktop/screens.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/sim_fixture.hpp"

namespace zerlith {
namespace {

using nlohmann::json;
using testing::SimDesktopFixture;

json rect(double x, double y, double w, double h) { return {{"x", x}, {"y", y}, {"w", w}, {"h", h}}; }

json screen(const std::string& name, json frame, std::optional<json> visibleFrame = std::nullopt) {
    json s = {{"name", name}, {"frame", std::move(frame)}};
    if (visibleFrame) s["visibleFrame"] = *visibleFrame;
    return s;
}

std::optional<std::string> nameOf(const std::optional<Screen>& s) {
    if (!s) return std::nullopt;
    return s->name;
}

/// Two 1920 × 1080 screens side by side, the primary on the left.
json sideBySide() {
    return json::array({screen("Left", rect(0, 0, 1920, 1080)), screen("Right", rect(1920, 0, 1920, 1080))});
}

void expectRect(const Rect& actual, const Rect& expected) {
    EXPECT_DOUBLE_EQ(actual.x, expected.x);
    EXPECT_DOUBLE_EQ(actual.y, expected.y);
    EXPECT_DOUBLE_EQ(actual.width, expected.width);
    EXPECT_DOUBLE_EQ(actual.height, expected.height);
}

TEST(ScreensConversion, FlipsAroundThePrimaryScreenAndIsItsOwnInverse) {
    const Screen primary{1, "P", {0, 0, 1920, 1080}, {0, 0, 1920, 1055}};
    struct Case {
        Rect in;
        Rect out;
    };
    const Case cases[] = {
        {{100, 100, 800, 600}, {100, 380, 800, 600}},
        {{0, 0, 1920, 1080}, {0, 0, 1920, 1080}},
        {{2000, -500, 100, 200}, {2000, 1380, 100, 200}},  // above the primary screen
        {{10, 100, 50, -200}, {10, 780, 50, -200}},         // a flipped height counts as its magnitude
    };
    for (const auto& c : cases) {
        expectRect(Screens::convertSpace(c.in, primary), c.out);
        expectRect(Screens::convertSpace(Screens::convertSpace(c.in, primary), primary), c.in);
    }
    expectRect(Screens::convertSpace({1, 2, 3, 4}, std::nullopt), {1, 2, 3, 4});
}

TEST(ScreensPrimary, IsTheScreenAtTheOriginElseTheFirst) {
    struct Case {
        json screens;
        std::optional<std::string> primary;
    };
    const Case cases[] = {
        {sideBySide(), "Left"},
        {json::array({screen("Right", rect(1920, 0, 1920, 1080)), screen("Left", rect(0, 0, 1920, 1080))}),
         "Left"},
        {json::array({screen("A", rect(0, 1, 100, 100)), screen("B", rect(1, 0, 100, 100))}), "A"},
        {json::array(), std::nullopt},
    };
    for (const auto& c : cases) {
        SimDesktopFixture fixture(json{{"screens", c.screens}});
        EXPECT_EQ(nameOf(Screens::primary()), c.primary) << c.screens;
    }
}

TEST(ScreensForAXRect, PicksTheScreenHoldingMostOfTheWindow) {
    // Top-left space; "Top" sits above the primary screen in the bottom-left space.
    const json screens = json::array({screen("Left", rect(0, 0, 1920, 1080)),
                                      screen("Right", rect(1920, 0, 1920, 1080)),
                                      screen("Top", rect(0, 1080, 1920, 1080))});
    struct Case {
        Rect window;
        std::optional<std::string> screen;
    };
    const Case cases[] = {
        {{2000, 100, 800, 600}, "Right"},
        {{1500, 100, 800, 600}, "Left"},    // 420 on the left, 380 on the right
        {{1600, 100, 800, 600}, "Right"},   // 320 on the left, 480 on the right
        {{1520, 100, 800, 600}, "Left"},    // an exact tie goes to the earlier screen
        {{100, -700, 400, 300}, "Top"},     // negative y is above the primary screen
        {{100, -100, 400, 300}, "Left"},    // 200 of its 300 rows below the primary's top edge
        {{5000, 100, 800, 600}, std::nullopt},
        {{3840, 100, 800, 600}, std::nullopt},  // touching an edge is no overlap
        {{100, 100, 0, 0}, std::nullopt},
    };
    SimDesktopFixture fixture(json{{"screens", screens}});
    for (const auto& c : cases) {
        EXPECT_EQ(nameOf(Screens::screenForAXRect(c.window)), c.screen)
            << c.window.x << "," << c.window.y << " " << c.window.width << "x" << c.window.height;
    }
}

TEST(ScreensForAXRect, TieGoesToTheEarlierScreenInTheListWhateverItsPosition) {
    SimDesktopFixture fixture(json{{"screens", json::array({screen("Right", rect(1920, 0, 1920, 1080)),
                                                            screen("Left", rect(0, 0, 1920, 1080))})}});
    EXPECT_EQ(nameOf(Screens::screenForAXRect({1520, 100, 800, 600})), "Right");
}

TEST(ScreensForAXRect, WithoutScreensThereIsNone) {
    SimDesktopFixture fixture(json::object());
    EXPECT_EQ(Screens::screenForAXRect({0, 0, 100, 100}), std::nullopt);
}

TEST(ScreensNeighbor, IsTheNearestByMidpointOnThatSide) {
    // Middle and Twin share a midpoint; Low is far below but still counts by its midpoint.
    const json screens = json::array({screen("Middle", rect(0, 0, 1000, 800)),
                                      screen("FarRight", rect(3000, 0, 1000, 800)),
                                      screen("Low", rect(1000, -5000, 1000, 800)),
                                      screen("Twin", rect(0, 800, 1000, 800)),
                                      screen("FarLeft", rect(-2000, 0, 1000, 800)),
                                      screen("Left", rect(-1000, 0, 1000, 800)),
                                      screen("LeftAgain", rect(-1000, 800, 1000, 800))});
    struct Case {
        std::size_t from;
        Screens::Direction direction;
        std::optional<std::string> neighbor;
    };
    using enum Screens::Direction;
    const Case cases[] = {
        {0, right, "Low"},
        {0, left, "Left"},  // Left and LeftAgain tie: the first in the list
        {2, right, "FarRight"},
        {1, right, std::nullopt},
        {4, left, std::nullopt},
        {3, right, "Low"},
        {5, right, "Middle"},  // Middle and Twin tie: the first
    };
    SimDesktopFixture fixture(json{{"screens", screens}});
    const auto all = platform::current().display().screens();
    for (const auto& c : cases) {
        EXPECT_EQ(nameOf(Screens::neighbor(all.at(c.from), c.direction)), c.neighbor)
            << all.at(c.from).name << (c.direction == right ? " right" : " left");
    }
}

TEST(ScreensActive, IsTheScreenUnderThePointerElseTheMainScreen) {
    struct Case {
        double x, y;
        int mainScreen;
        std::optional<std::string> active;
    };
    const Case cases[] = {
        {100, 100, 1, "Left"},
        {2000, 100, 0, "Right"},
        {1920, 0, 0, "Right"},   // a shared edge belongs to the screen it is the min edge of
        {0, 0, 1, "Left"},       // min edges are inside
        {3840, 100, 0, "Left"},  // the right screen's max edge is outside: the main screen
        {100, 1080, 1, "Right"}, // the left screen's top edge is outside: the main screen
        {-5, -5, 1, "Right"},
    };
    for (const auto& c : cases) {
        SimDesktopFixture fixture(json{
            {"screens", sideBySide()}, {"mainScreen", c.mainScreen}, {"pointer", {{"x", c.x}, {"y", c.y}}}});
        EXPECT_EQ(nameOf(Screens::active()), c.active) << c.x << "," << c.y;
    }
}

TEST(ScreensActive, WithoutScreensThereIsNone) {
    SimDesktopFixture fixture(json{{"pointer", {{"x", 10}, {"y", 10}}}});
    EXPECT_EQ(Screens::active(), std::nullopt);
}

/// A 1440 × 900 laptop (primary) with a 25-point menu bar, and a 2560 × 1440 display to its right
/// with a 25-point menu bar.
class ScreensPlacement : public ::testing::Test {
protected:
    SimDesktopFixture fixture{json{{"screens", json::array({
        screen("Laptop", rect(0, 0, 1440, 900), rect(0, 0, 1440, 875)),
        screen("Display", rect(1440, 0, 2560, 1440), rect(1440, 0, 2560, 1415)),
    })}}};
    std::vector<Screen> screens = platform::current().display().screens();
    const Screen& laptop = screens.at(0);
    const Screen& display = screens.at(1);
};

TEST_F(ScreensPlacement, KeepsRelativePositionAndShare) {
    // The laptop's visible area in the top-left space is y 25 to 900; the display's is y -515 to 900.
    struct Case {
        Rect window;
        Rect placed;
    };
    const Case cases[] = {
        {{0, 25, 720, 875}, {1440, -515, 1280, 1415}},        // the left half stays the left half
        {{720, 25, 720, 437.5}, {2720, -515, 1280, 707.5}},   // the top-right quarter
        {{360, 243.75, 720, 437.5}, {2080, -161.25, 1280, 707.5}},
    };
    for (const auto& c : cases) expectRect(Screens::placement(c.window, laptop, display), c.placed);
}

TEST_F(ScreensPlacement, ClampsIntoTheDestination) {
    struct Case {
        Rect window;
        std::optional<Screen> from;
        Rect placed;
    };
    const Case cases[] = {
        // Larger than the destination: shrunk to it, at its top-left corner.
        {{-100, 0, 3000, 2000}, std::nullopt, {0, 25, 1440, 875}},
        {{-100, -600, 3000, 2000}, display, {0, 25, 1440, 875}},
        // Hanging over the right and bottom edges: pushed back inside, size kept.
        {{1300, 800, 400, 300}, laptop, {1040, 600, 400, 300}},
        // Without a source: same size, centred.
        {{5000, 5000, 400, 300}, std::nullopt, {520, 312.5, 400, 300}},
        {{0, 0, -400, -300}, std::nullopt, {520, 312.5, 400, 300}},
    };
    for (const auto& c : cases) expectRect(Screens::placement(c.window, c.from, laptop), c.placed);
}

TEST(ScreensPlacementEdges, ZeroSizedSourceAndNoPrimaryStayFinite) {
    SimDesktopFixture fixture(json{{"screens", json::array({
        screen("Empty", rect(10, 10, 0, 0)),
        screen("Other", rect(100, 10, 200, 100)),
    })}});
    const auto screens = platform::current().display().screens();
    // No screen is at the origin: "Empty" is primary by position in the list.
    const Rect placed = Screens::placement({10, 10, 5, 5}, screens[0], screens[1]);
    // The source's extents floor to 1, so the offset and size scale by 200 and 100 before clamping.
    expectRect(placed, {100, -100, 200, 100});
}

}  // namespace
}  // namespace zerlith
