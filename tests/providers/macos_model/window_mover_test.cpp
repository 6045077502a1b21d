#include <gtest/gtest.h>

#include "desktop/screens.hpp"
#include "support/desktop_builders.hpp"
#include "providers/macos_model/window_mover.hpp"
#include "support/recording_platform.hpp"
#include "support/sim_fixture.hpp"

namespace zerlith::testing {
namespace {

using nlohmann::json;
using Lines = std::vector<std::string>;

constexpr Pid kEditor = 501;

json twoScreens(const json& windows) {
    return {{"screens", builtInAndExternal()},
            {"apps", {app(kEditor, "Editor", "com.example.editor")}},
            {"windows", windows},
            {"frontmost", kEditor}};
}

class WindowMoverTest : public ::testing::Test {
protected:
    explicit WindowMoverTest(const json& windows = json::array({window(1, kEditor, "Draft", rect(144, 90, 720, 450))}))
        : sim(twoScreens(windows)) {}

    Rect frameOf(std::int64_t number) {
        for (const auto& w : sim.desktop().state().windows)
            if (w.number == number) return w.axFrame;
        return {};
    }

    SimDesktopFixture sim;
};

TEST_F(WindowMoverTest, SetFrameWritesPositionSizeThenPositionAgain) {
    WindowMover::setFrame(axWindow(kEditor, "Draft"), Rect{100, 50, 800, 600});
    EXPECT_EQ(sim.desktop().actionLog(),
              (Lines{"setAttribute window 1 AXPosition 100,50", "setAttribute window 1 AXSize 800,600",
                     "setAttribute window 1 AXPosition 100,50"}));
}

TEST_F(WindowMoverTest, AWindowAlreadyOnTheDestinationIsNotTouched) {
    WindowMover::move(axWindow(kEditor, "Draft"), screen("Built-in"));
    EXPECT_TRUE(sim.desktop().actionLog().empty());
}

TEST_F(WindowMoverTest, AWindowKeepsItsShareOfTheScreenWhenItMoves) {
    WindowMover::move(axWindow(kEditor, "Draft"), screen("External"));
    EXPECT_EQ(frameOf(1), (Rect{1632, -72, 960, 540}));
}

TEST_F(WindowMoverTest, AWindowOnNoScreenIsCentredOnTheDestination) {
    sim.desktop().update([](sim::DesktopModel& model) { model.windows[0].axFrame = {5000, 5000, 800, 600}; });
    WindowMover::move(axWindow(kEditor, "Draft"), screen("External"));
    EXPECT_EQ(frameOf(1), (Rect{2000, 60, 800, 600}));
}

TEST_F(WindowMoverTest, AFullScreenWindowLeavesFullScreenBeforeItsFrameIsRead) {
    sim.desktop().update([](sim::DesktopModel& model) { model.windows[0].fullScreen = true; });
    const auto element = axWindow(kEditor, "Draft");
    RecordingPlatform recording(sim.desktop());
    platform::ScopedPlatform installed(recording);
    const double start = elapsed(sim.clock);

    WindowMover::move(element, screen("External"));

    EXPECT_EQ(sim.desktop().actionLog().front(), "setAttribute window 1 AXFullScreen false");
    EXPECT_NEAR(recording.firstReadOf(platform::ax::kPosition) - start, 0.35, 1e-6);
    EXPECT_FALSE(sim.desktop().state().windows[0].fullScreen);
}

/// An editor whose only window is minimized, so it has no focused window until it comes back.
class MoveWhenAvailableTest : public WindowMoverTest {
protected:
    MoveWhenAvailableTest() {
        sim.desktop().update([](sim::DesktopModel& model) { model.windows[0].minimized = true; });
    }

    RecordingPlatform recording{sim.desktop()};
    platform::ScopedPlatform installed{recording};
};

TEST_F(MoveWhenAvailableTest, LooksOnceForEachAttemptThenGivesUp) {
    for (const std::int64_t attempts : {8, 1}) {
        const auto before = recording.readsOf(platform::ax::kFocusedWindow);
        const double start = elapsed(sim.clock);
        WindowMover::moveWhenAvailable(kEditor, screen("External"), attempts);
        EXPECT_EQ(recording.readsOf(platform::ax::kFocusedWindow), before) << "the first look waits 0.12 s";
        sim.dispatch.runMainFor(5);
        EXPECT_EQ(recording.readsOf(platform::ax::kFocusedWindow) - before, static_cast<std::size_t>(attempts));
        EXPECT_NEAR(recording.reads()[recording.reads().size() - static_cast<std::size_t>(attempts)].at - start, 0.12,
                    1e-6);
    }
    EXPECT_TRUE(sim.desktop().actionLog().empty());
}

TEST_F(MoveWhenAvailableTest, MovesTheWindowFoundAtTheThirdLookAndStopsLooking) {
    WindowMover::moveWhenAvailable(kEditor, screen("External"), 8);
    sim.dispatch.runMainFor(0.25);
    EXPECT_EQ(recording.readsOf(platform::ax::kFocusedWindow), 2u);
    sim.desktop().update([](sim::DesktopModel& model) { model.windows[0].minimized = false; });

    sim.dispatch.runMainFor(5);
    EXPECT_EQ(recording.readsOf(platform::ax::kFocusedWindow), 3u);
    EXPECT_EQ(frameOf(1), (Rect{1632, -72, 960, 540}));
}

}  // namespace
}  // namespace zerlith::testing
