#include <gtest/gtest.h>

#include "shell/change_observer.hpp"
#include "shell_desktop.hpp"
#include "support/sim_fixture.hpp"

namespace zerlith::testing {
namespace {

using Kind = platform::DesktopChange::Kind;
using Lines = std::vector<std::string>;

struct ObserverCase {
    std::string name;
    Pid frontBefore;
    Pid frontAfter;
    std::vector<platform::DesktopChange> changes;
    Lines refreshedAtOnce;
    Lines dirtyAfter;
    friend void PrintTo(const ObserverCase& row, std::ostream* out) { *out << row.name; }
};

class ChangeObserverTest : public ::testing::TestWithParam<ObserverCase> {};

TEST_P(ChangeObserverTest, MarksWhatTheChangeMakesStale) {
    const auto& c = GetParam();
    SimDesktopFixture sim(mailAndBrowsers(c.frontBefore));
    Lines enumerated;
    SnapshotStore store(recordingSources(enumerated));
    store.refreshAllBlocking();
    ChangeObserver observer(store);
    observer.start();
    sim.desktop().update([&](sim::DesktopModel& model) { model.frontmost = c.frontAfter; });
    enumerated.clear();

    observer.handle(c.changes);
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(enumerated, c.refreshedAtOnce);

    enumerated.clear();
    store.refreshDirty();
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(enumerated, c.dirtyAfter);
}

INSTANTIATE_TEST_SUITE_P(Events, ChangeObserverTest, ::testing::Values(
    ObserverCase{"leavingChrome", 601, 501, {{Kind::activeWindow}}, {"chrome"}, {}},
    ObserverCase{"leavingSafari", 701, 601, {{Kind::activeWindow}}, {"safari"}, {}},
    ObserverCase{"leavingAnotherApp", 501, 601, {{Kind::activeWindow}}, {}, {}},
    ObserverCase{"anotherWindowOfTheSameBrowser", 601, 601, {{Kind::activeWindow}}, {}, {}},
    ObserverCase{"launchOrQuit", 501, 501, {{Kind::windowList}}, {}, {"windows"}},
    ObserverCase{"spaceChanged", 501, 501, {{Kind::currentDesktop}}, {}, {"windows"}},
    ObserverCase{"windowDestroyed", 501, 501, {{Kind::windowGone, 1}}, {}, {"windows"}},
    ObserverCase{"chromeTitle", 501, 501, {{Kind::windowTitle, 2}}, {}, {"chrome"}},
    ObserverCase{"safariTitle", 501, 501, {{Kind::windowTitle, 3}}, {}, {"safari"}},
    ObserverCase{"otherTitle", 501, 501, {{Kind::windowTitle, 1}}, {}, {}},
    ObserverCase{"unknownWindowTitle", 501, 501, {{Kind::windowTitle, 99}}, {}, {}},
    ObserverCase{"moveAndScreens", 501, 501, {{Kind::windowState, 1}, {Kind::screens}}, {}, {}},
    ObserverCase{"severalAtOnce", 601, 501, {{Kind::windowList}, {Kind::activeWindow}, {Kind::windowTitle, 3}},
                 {"chrome", "windows"}, {"safari"}}),
    [](const ::testing::TestParamInfo<ObserverCase>& param) { return param.param.name; });

TEST(ChangeObserverExtension, AReportFromABrowsersExtensionMarksOnlyThatBrowser) {
    SimDesktopFixture sim(mailAndBrowsers(501));
    Lines enumerated;
    SnapshotStore store(recordingSources(enumerated));
    store.refreshAllBlocking();
    ChangeObserver observer(store);
    enumerated.clear();

    observer.tabsChanged(BrowserKind::firefox);
    sim.dispatch.runUntilIdle();
    EXPECT_TRUE(enumerated.empty()) << "nothing is enumerated at once";
    store.refreshDirty();
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(enumerated, Lines{"firefox"});
}

}  // namespace
}  // namespace zerlith::testing
