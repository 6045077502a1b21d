// The switchable windows of a real X session, and raising and moving them by their ids.

#include <gtest/gtest.h>

#include <algorithm>

#include "desktop/windows.hpp"
#include "x11/support/desktop_fixture.hpp"

namespace zerlith::x11::testing {
namespace {

class X11WindowsTest : public X11DesktopTest {
protected:
    desktop::Windows& windows() { return desktop().windows(); }

    static Target targetOf(const desktop::Window& window) {
        Target target;
        target.title = window.title;
        target.window = std::make_shared<const WindowRef>(WindowRef{window.id, window.pid, window.frame,
                                                                    window.onCurrentWorkspace, window.raisesDirectly, nullptr, 0});
        return target;
    }

    bool becomesActive(xcb_window_t window) {
        return eventually([&] { return probe().activeWindow() == window; });
    }

    ActivationLog log;
};

TEST_F(X11WindowsTest, ListsWhatCanBeSwitchedToWithWhereItIs) {
    struct Case {
        std::vector<std::string> arguments;
        bool listed;
        bool onCurrentWorkspace;
        bool raisesDirectly;
    };
    const Case cases[] = {
        {{"--title", "Plain"}, true, true, true},
        {{"--title", "Away", "--desktop", "1"}, true, false, false},
        {{"--title", "Tucked", "--state", "hidden"}, true, false, true},
        {{"--title", "Panel", "--type", "dock"}, false, false, false},
        {{"--title", "Ghost", "--opacity", "0.01"}, false, false, false},
        {{"--title", "Speck", "--frame", "10,10,40,20"}, false, false, false},
    };
    std::vector<std::string> arguments;
    for (const Case& c : cases) {
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        arguments.insert(arguments.end(), {"--pid", "401"});
    }
    auto mapped = map(arguments);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].arguments.at(1));
        const auto window = listed((*mapped)[i]);
        ASSERT_EQ(window.has_value(), cases[i].listed);
        if (!window) continue;
        EXPECT_EQ(window->title, cases[i].arguments.at(1));
        EXPECT_EQ(window->pid, 401);
        EXPECT_EQ(window->onCurrentWorkspace, cases[i].onCurrentWorkspace);
        EXPECT_EQ(window->raisesDirectly, cases[i].raisesDirectly);
    }
}

TEST_F(X11WindowsTest, RaisingByIdReachesOtherDesktopsAndMinimizedWindows) {
    auto mapped = map({"--title", "Away", "--pid", "411", "--desktop", "1",    //
                       "--title", "Tucked", "--pid", "411", "--state", "hidden",  //
                       "--title", "Front", "--pid", "412"});
    platform::ScopedPlatform installed(desktop());
    ASSERT_TRUE(becomesActive((*mapped)[2]));

    EXPECT_TRUE(windows().raise(log, targetOf(*listed((*mapped)[0])), std::nullopt));
    EXPECT_TRUE(becomesActive((*mapped)[0]));
    EXPECT_EQ(probe().currentDesktop(), 1u);

    EXPECT_TRUE(windows().raise(log, targetOf(*listed((*mapped)[1])), std::nullopt));
    EXPECT_TRUE(becomesActive((*mapped)[1]));
    EXPECT_FALSE(probe().hasState((*mapped)[1], probe().ewmh()._NET_WM_STATE_HIDDEN));
    ASSERT_TRUE(windows().focusedWindow(411, 1.0));
    EXPECT_EQ(windows().focusedWindow(411, 1.0)->title, "Tucked");
    EXPECT_FALSE(windows().focusedWindow(412, 1.0));
}

TEST_F(X11WindowsTest, AGoneWindowBringsItsApplicationAndATabTitleItsBrowserWindow) {
    auto mapped = map({"--title", "Inbox — Browser", "--pid", "421", "--title", "Closing", "--pid", "421",  //
                       "--title", "Front", "--pid", "422"});
    platform::ScopedPlatform installed(desktop());
    const auto closing = targetOf(*listed((*mapped)[1]));
    probe().destroy((*mapped)[1]);
    EXPECT_TRUE(eventually([&] { return !listed((*mapped)[1]); }));
    EXPECT_TRUE(windows().raise(log, closing, std::nullopt));
    EXPECT_TRUE(becomesActive((*mapped)[0]));

    windows().raise(log, targetOf(*listed((*mapped)[2])), std::nullopt);
    ASSERT_TRUE(becomesActive((*mapped)[2]));
    windows().raiseShowing(421, "Inbox", std::nullopt);
    EXPECT_TRUE(becomesActive((*mapped)[0]));
}

TEST_F(X11WindowsTest, MovingPlacesTheWindowOnTheOtherMonitorOutOfFullScreen) {
    auto mapped = map({"--title", "Cinema", "--pid", "431", "--frame", "100,100,800,600", "--state", "fullscreen"});
    platform::ScopedPlatform installed(desktop());
    const auto screens = desktop().display().screens();
    ASSERT_EQ(screens.size(), 2u);
    const auto right = *std::max_element(screens.begin(), screens.end(),
                                         [](const auto& a, const auto& b) { return a.frame.x < b.frame.x; });
    EXPECT_TRUE(windows().raise(log, targetOf(*listed((*mapped)[0])), right));
    dispatch().runMainFor(1.0);
    EXPECT_TRUE(eventually([&] { return !probe().hasState((*mapped)[0], probe().ewmh()._NET_WM_STATE_FULLSCREEN); }));
    EXPECT_TRUE(eventually([&] {
        const auto frame = probe().frame((*mapped)[0]);
        return frame && frame->x >= right.frame.x;
    }));
}

}  // namespace
}  // namespace zerlith::x11::testing
