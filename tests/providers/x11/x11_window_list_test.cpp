// The window list of a real X session: what each window holds and what is left out.

#include <gtest/gtest.h>

#include <thread>

#include "x11/support/desktop_fixture.hpp"

namespace zerlith::x11::testing {
namespace {


using X11WindowListTest = X11DesktopTest;

TEST_F(X11WindowListTest, ListsClientWindowsFrontToBackWithDecoratedFramesAndOwners) {
    auto windows = map({"--title", "Back", "--pid", "101", "--frame", "100,100,640,480",  //
                        "--title", "Front", "--pid", "102", "--frame", "300,200,500,400"});

    auto list = windowList();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].id, (*windows)[1]);
    EXPECT_EQ(list[0].title, "Front");
    EXPECT_EQ(list[1].title, "Back");
    EXPECT_EQ(list[0].pid, 102);
    EXPECT_TRUE(list[0].onCurrentWorkspace);

    // The frame includes the decorations and starts where the window asked to be placed.
    auto frame = list[0].frame;
    EXPECT_EQ(frame, probe().frame((*windows)[1]));
    EXPECT_EQ(frame.origin(), (Point{300, 200}));
    EXPECT_GT(frame.width, 500);
    EXPECT_GT(frame.height, 400);
}

TEST_F(X11WindowListTest, NormalWindowsAndDialogsAreListedPanelsAndBackgroundsAreNot) {
    struct Case {
        const char* type;
        bool listed;
    };
    const Case cases[] = {{"normal", true}, {"dialog", true},        {"utility", false},
                          {"dock", false},  {"notification", false}, {"desktop", false}};
    std::vector<std::string> arguments;
    for (const Case& c : cases) arguments.insert(arguments.end(), {"--title", c.type, "--type", c.type});
    auto windows = map(arguments);

    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].type);
        EXPECT_EQ(listed((*windows)[i]).has_value(), cases[i].listed);
    }
}

TEST_F(X11WindowListTest, OnlyNearlyTransparentWindowsAreLeftOut) {
    auto windows = map({"--title", "Faded", "--opacity", "0.5", "--title", "Ghost", "--opacity", "0.04",  //
                        "--title", "Plain"});
    EXPECT_TRUE(listed((*windows)[0]));
    EXPECT_FALSE(listed((*windows)[1]));
    EXPECT_TRUE(listed((*windows)[2]));
}

TEST_F(X11WindowListTest, TitlesAreAlwaysUtf8) {
    auto windows = map({"--title", "Caf\xE9", "--legacy-title",  // WM_NAME only, ISO 8859-1
                        "--title", "Bad\xFF" "byte",               // _NET_WM_NAME with an invalid byte
                        "--title", "Grüße ✓"});
    EXPECT_EQ(listed((*windows)[0])->title, "Caf\u00E9");
    EXPECT_EQ(listed((*windows)[1])->title, "Bad\uFFFDbyte");
    EXPECT_EQ(listed((*windows)[2])->title, "Grüße ✓");
}

TEST_F(X11WindowListTest, OwnerWithoutNetWmPidComesFromTheXServer) {
    auto windows = map({"--title", "No pid"});
    EXPECT_EQ(listed((*windows)[0])->pid, windows->pid());
}

TEST_F(X11WindowListTest, OnscreenMeansOnTheCurrentDesktopAndNotMinimized) {
    auto windows = map({"--title", "Here", "--desktop", "0",  //
                        "--title", "Elsewhere", "--desktop", "1",
                        "--title", "Everywhere", "--desktop", "all",
                        "--title", "Minimized", "--state", "hidden"});
    const bool expected[] = {true, false, true, false};
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(listed((*windows)[i])->onCurrentWorkspace, expected[i]) << i;
    }
}

TEST_F(X11WindowListTest, WindowDestroyedBehindTheCachesBackIsAbsentAtOnce) {
    auto windows = map({"--title", "Stays", "--title", "Goes"});
    ASSERT_EQ(windowList().size(), 2u);
    probe().destroy((*windows)[1]);  // the window manager may still list it for a moment
    auto list = windowList();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].title, "Stays");
}

TEST_F(X11WindowListTest, ChangedTitlesAndNewAndClosedWindowsShowOnTheNextList) {
    auto windows = map({"--title", "Before"});
    ASSERT_TRUE(listed((*windows)[0]));
    std::string title = "After";
    probe().setProperty((*windows)[0], probe().ewmh()._NET_WM_NAME, probe().ewmh().UTF8_STRING, 8, title.data(),
                        title.size());
    EXPECT_EQ(listed((*windows)[0])->title, "After");

    auto more = map({"--title", "Newcomer"});
    EXPECT_TRUE(eventually([&] { return listed((*more)[0]).has_value(); }));
    more->destroy(0);
    EXPECT_TRUE(eventually([&] { return !listed((*more)[0]).has_value(); }));
}

TEST_F(X11WindowListTest, ReadersOnSeveralThreadsShareOneConnection) {
    auto windows = map({"--title", "Shared", "--pid", "111"});
    auto& desktop = this->desktop();
    std::vector<std::thread> readers;
    for (int reader = 0; reader < 3; ++reader) {
        readers.emplace_back([&, reader] {
            for (int i = 0; i < 200; ++i) {
                switch (reader) {
                case 0: EXPECT_EQ(desktop.windows().list().size(), 1u); break;
                case 1: EXPECT_EQ(desktop.display().screens().size(), 2u); break;
                default: EXPECT_TRUE(desktop.windows().ownerOf((*windows)[0]));
                }
            }
        });
    }
    for (int i = 0; i < 20; ++i) {  // meanwhile the window keeps changing its title
        std::string title = "Shared " + std::to_string(i);
        probe().setProperty((*windows)[0], probe().ewmh()._NET_WM_NAME, probe().ewmh().UTF8_STRING, 8, title.data(),
                            title.size());
    }
    for (auto& reader : readers) reader.join();
}

}  // namespace
}  // namespace zerlith::x11::testing
