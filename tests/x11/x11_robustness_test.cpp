// A hostile or failing X server: vanished windows, properties of the wrong shape, a server that
// dies or stops answering. Nothing crashes or hangs; what cannot be read is left out.
// These sessions have no window manager: the tests publish the client lists themselves.

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <functional>
#include <future>

#include "platform/x11/xcb_connection.hpp"
#include "system/ax.hpp"
#include "x11/support/desktop_fixture.hpp"

namespace zerlith::x11::testing {
namespace {

namespace keys = platform::window_keys;

class X11RobustnessTest : public X11DesktopTest {
protected:
    X11RobustnessTest() : X11DesktopTest(XSession::Options{.windowManager = false, .twoMonitors = false}) {}

    /// Publishes the client lists as a window manager would, bottom of the stack first.
    void publish(const std::vector<xcb_window_t>& bottomToTop) {
        for (xcb_atom_t list : {probe().ewmh()._NET_CLIENT_LIST_STACKING, probe().ewmh()._NET_CLIENT_LIST}) {
            probe().setProperty(probe().root(), list, XCB_ATOM_WINDOW, 32, bottomToTop.data(), bottomToTop.size());
        }
    }

    template <typename T>
    void setCardinals(xcb_window_t window, xcb_atom_t property, xcb_atom_t type, std::vector<T> items) {
        probe().setProperty(window, property, type, sizeof(T) * 8, items.data(), items.size());
    }

    /// Runs `call`, failing the test instead of hanging when it does not return in time.
    void returnsInTime(const std::function<void()>& call, double seconds = 10.0) {
        auto done = std::async(std::launch::async, call);
        ASSERT_EQ(done.wait_for(std::chrono::duration<double>(seconds)), std::future_status::ready) << "hung";
        done.get();
    }
};

TEST_F(X11RobustnessTest, WindowThatVanishedBeforeItsPropertiesWereReadIsLeftOut) {
    auto windows = map({"--title", "First", "--title", "Vanishing", "--title", "Last"});
    probe().destroy((*windows)[1]);
    publish(windows->ids());  // still naming the destroyed window, as a list read a moment earlier would

    auto list = windowList();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(member<std::string>(list[0], keys::kName), "Last");
    EXPECT_EQ(member<std::string>(list[1], keys::kName), "First");
}

TEST_F(X11RobustnessTest, PropertiesOfTheWrongShapeAreLeftOut) {
    auto& ewmh = probe().ewmh();
    auto windows = map({"--title", "Pid as text", "--pid", "77",  //
                        "--title", "Empty pid", "--pid", "77",
                        "--title", "Title as numbers", "--pid", "77",
                        "--title", "Short extents", "--pid", "77", "--frame", "10,20,300,200",
                        "--title", "Opacity as atom", "--pid", "77", "--opacity", "0.5",
                        "--title", "Desktop as bytes", "--pid", "77", "--desktop", "1",
                        "--title", "States as numbers", "--pid", "77",
                        "--title", "Type as numbers", "--pid", "77",
                        "--title", "Control", "--pid", "77", "--desktop", "1"});
    publish(windows->ids());
    setCardinals<std::uint32_t>(probe().root(), ewmh._NET_CURRENT_DESKTOP, XCB_ATOM_CARDINAL, {0});
    const std::uint32_t hidden = ewmh._NET_WM_STATE_HIDDEN;
    const std::uint32_t dock = ewmh._NET_WM_WINDOW_TYPE_DOCK;
    setCardinals<char>((*windows)[0], ewmh._NET_WM_PID, XCB_ATOM_STRING, {'7', '7'});
    setCardinals<std::uint32_t>((*windows)[1], ewmh._NET_WM_PID, XCB_ATOM_CARDINAL, {});
    setCardinals<std::uint32_t>((*windows)[2], ewmh._NET_WM_NAME, XCB_ATOM_CARDINAL, {42});
    setCardinals<std::uint32_t>((*windows)[3], ewmh._NET_FRAME_EXTENTS, XCB_ATOM_CARDINAL, {5, 5});
    setCardinals<std::uint32_t>((*windows)[4], probe().atom("_NET_WM_WINDOW_OPACITY"), XCB_ATOM_ATOM, {1});
    setCardinals<std::uint8_t>((*windows)[5], ewmh._NET_WM_DESKTOP, XCB_ATOM_CARDINAL, {1});
    setCardinals<std::uint32_t>((*windows)[6], ewmh._NET_WM_STATE, XCB_ATOM_CARDINAL, {hidden});
    setCardinals<std::uint32_t>((*windows)[7], ewmh._NET_WM_WINDOW_TYPE, XCB_ATOM_CARDINAL, {dock});

    // Each window is still listed, with what could be read; a bad pid falls back to the X server's.
    const Pid programPid = windows->pid();
    EXPECT_EQ(member<std::int64_t>(*record((*windows)[0]), keys::kOwnerPID), programPid);
    EXPECT_EQ(member<std::int64_t>(*record((*windows)[1]), keys::kOwnerPID), programPid);
    EXPECT_EQ(member<std::string>(*record((*windows)[2]), keys::kName), "Title as numbers");  // from WM_NAME
    EXPECT_EQ(bounds(*record((*windows)[3])), (Rect{10, 20, 300, 200}));                       // no decorations
    EXPECT_FALSE(record((*windows)[4])->contains(keys::kAlpha));
    EXPECT_EQ(member<bool>(*record((*windows)[5]), keys::kIsOnscreen), true);
    EXPECT_EQ(member<bool>(*record((*windows)[6]), keys::kIsOnscreen), true);
    EXPECT_EQ(member<std::int64_t>(*record((*windows)[7]), keys::kLayer), 0);
    EXPECT_EQ(member<bool>(*record((*windows)[8]), keys::kIsOnscreen), false);  // well-formed, on desktop 2
}

TEST_F(X11RobustnessTest, RootPropertiesOfTheWrongShapeFallBack) {
    auto& ewmh = probe().ewmh();
    auto windows = map({"--title", "Only", "--pid", "78", "--desktop", "1"});
    setCardinals<std::uint32_t>(probe().root(), ewmh._NET_CLIENT_LIST_STACKING, XCB_ATOM_CARDINAL, {(*windows)[0]});
    setCardinals<std::uint32_t>(probe().root(), ewmh._NET_CLIENT_LIST, XCB_ATOM_WINDOW, {(*windows)[0]});
    setCardinals<std::uint32_t>(probe().root(), ewmh._NET_ACTIVE_WINDOW, XCB_ATOM_WINDOW, {});
    setCardinals<char>(probe().root(), ewmh._NET_CURRENT_DESKTOP, XCB_ATOM_STRING, {'0'});
    setCardinals<std::uint32_t>(probe().root(), ewmh._NET_WORKAREA, XCB_ATOM_CARDINAL, {0, 0, 100});

    auto list = windowList();  // from _NET_CLIENT_LIST
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(member<bool>(list[0], keys::kIsOnscreen), true);  // no current desktop: every desktop shows
    EXPECT_FALSE(desktop().workspace().frontmostApplication());
    auto screens = desktop().display().screens();
    ASSERT_EQ(screens.size(), 1u);
    EXPECT_EQ(screens[0].visibleFrame, screens[0].frame);
}

TEST_F(X11RobustnessTest, ServerThatGoesAwayLeavesAnEmptyDesktop) {
    auto windows = map({"--title", "Doomed", "--pid", "79"});
    publish(windows->ids());
    ASSERT_EQ(windowList().size(), 1u);
    auto doomed = element(79, (*windows)[0]);
    ASSERT_TRUE(doomed);

    session().server().signal(SIGKILL);
    ASSERT_TRUE(session().server().wait(5.0));
    returnsInTime([&] {
        auto& accessibility = desktop().accessibility();
        EXPECT_TRUE(eventually([&] { return windowList().empty(); }));
        EXPECT_TRUE(desktop().display().screens().empty());
        EXPECT_FALSE(desktop().display().mainScreen());
        EXPECT_EQ(desktop().display().pointerLocation(), (Point{0, 0}));
        EXPECT_TRUE(desktop().workspace().runningApplications().empty());
        EXPECT_FALSE(desktop().workspace().activate(79));
        EXPECT_NE(accessibility.copyAttribute(doomed, platform::ax::kTitle).error, platform::AXError::success);
        EXPECT_NE(accessibility.performAction(doomed, platform::ax::kRaise), platform::AXError::success);
        EXPECT_NE(accessibility.setAttribute(doomed, platform::ax::kPosition, Point{1, 1}), platform::AXError::success);
    });
}

TEST_F(X11RobustnessTest, StoppedServerCostsOneTimeoutThenFailsFastUntilItAnswersAgain) {
    auto windows = map({"--title", "Patient", "--pid", "80"});
    publish(windows->ids());
    ASSERT_EQ(windowList().size(), 1u);

    session().server().signal(SIGSTOP);
    returnsInTime([&] { EXPECT_TRUE(eventually([&] { return windowList().empty(); })); });
    auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(windowList().empty());
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(500)) << "waited again";

    session().server().signal(SIGCONT);
    EXPECT_TRUE(eventually([&] { return windowList().size() == 1; }));
}

TEST_F(X11RobustnessTest, ConnectingToAServerThatDoesNotAnswerGivesUp) {
    session().server().signal(SIGSTOP);
    std::string error;
    returnsInTime([&] { EXPECT_FALSE(XcbConnection::open(session().display().c_str(), 0.3, &error)); });
    EXPECT_NE(error.find("does not answer"), std::string::npos) << error;
    session().server().signal(SIGCONT);
}

TEST_F(X11RobustnessTest, DisplayThatCannotBeOpenedIsAOneLineError) {
    platform::ManualClock clock;
    platform::ManualDispatch dispatch(clock);
    std::string error;
    EXPECT_FALSE(connectX11Desktop(clock, dispatch, &error, ":4242.0"));
    EXPECT_NE(error.find(":4242.0"), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
}

}  // namespace
}  // namespace zerlith::x11::testing
