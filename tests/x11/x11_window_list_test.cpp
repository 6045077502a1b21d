// The window list of a real X session: what each record holds and what is left out.

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
    EXPECT_EQ(memberValue<std::int64_t>(list[0].number), (*windows)[1]);
    EXPECT_EQ(memberValue<std::string>(list[0].name), "Front");
    EXPECT_EQ(memberValue<std::string>(list[1].name), "Back");
    EXPECT_EQ(memberValue<std::int64_t>(list[0].ownerPID), 102);
    EXPECT_EQ(memberValue<std::int64_t>(list[0].layer), 0);
    EXPECT_EQ(memberValue<bool>(list[0].isOnscreen), true);
    EXPECT_FALSE(list[0].alpha.has_value());

    // The frame includes the decorations and starts where the window asked to be placed.
    auto frame = bounds(list[0]);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame, probe().frame((*windows)[1]));
    EXPECT_EQ(frame->origin(), (Point{300, 200}));
    EXPECT_GT(frame->width, 500);
    EXPECT_GT(frame->height, 400);
}

TEST_F(X11WindowListTest, WindowTypesBecomeLayersAndDesktopBackgroundsAreLeftOut) {
    struct Case {
        const char* type;
        std::optional<std::int64_t> layer;  // none: not listed
    };
    const Case cases[] = {{"normal", 0}, {"dialog", 0},        {"utility", 3},
                          {"dock", 20},  {"notification", 25}, {"desktop", std::nullopt}};
    std::vector<std::string> arguments;
    for (const Case& c : cases) arguments.insert(arguments.end(), {"--title", c.type, "--type", c.type});
    auto windows = map(arguments);

    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].type);
        auto found = record((*windows)[i]);
        ASSERT_EQ(found.has_value(), cases[i].layer.has_value());
        if (found) {
            EXPECT_EQ(memberValue<std::int64_t>(found->layer), cases[i].layer);
        }
    }
}

TEST_F(X11WindowListTest, OpacityBecomesAlpha) {
    auto windows = map({"--title", "Faded", "--opacity", "0.5", "--title", "Plain"});
    auto alpha = memberValue<double>(record((*windows)[0])->alpha);
    ASSERT_TRUE(alpha);
    EXPECT_NEAR(*alpha, 0.5, 1e-6);
    EXPECT_FALSE(record((*windows)[1])->alpha.has_value());
}

TEST_F(X11WindowListTest, TitlesAreAlwaysUtf8) {
    auto windows = map({"--title", "Caf\xE9", "--legacy-title",  // WM_NAME only, ISO 8859-1
                        "--title", "Bad\xFF" "byte",               // _NET_WM_NAME with an invalid byte
                        "--title", "Grüße ✓"});
    EXPECT_EQ(memberValue<std::string>(record((*windows)[0])->name), "Caf\u00E9");
    EXPECT_EQ(memberValue<std::string>(record((*windows)[1])->name), "Bad\uFFFDbyte");
    EXPECT_EQ(memberValue<std::string>(record((*windows)[2])->name), "Grüße ✓");
}

TEST_F(X11WindowListTest, OwnerWithoutNetWmPidComesFromTheXServer) {
    auto windows = map({"--title", "No pid"});
    EXPECT_EQ(memberValue<std::int64_t>(record((*windows)[0])->ownerPID), windows->pid());
}

TEST_F(X11WindowListTest, OnscreenMeansOnTheCurrentDesktopAndNotMinimized) {
    auto windows = map({"--title", "Here", "--desktop", "0",  //
                        "--title", "Elsewhere", "--desktop", "1",
                        "--title", "Everywhere", "--desktop", "all",
                        "--title", "Minimized", "--state", "hidden"});
    const bool expected[] = {true, false, true, false};
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(memberValue<bool>(record((*windows)[i])->isOnscreen), expected[i]) << i;
    }
}

TEST_F(X11WindowListTest, WindowDestroyedBehindTheCachesBackIsAbsentAtOnce) {
    auto windows = map({"--title", "Stays", "--title", "Goes"});
    ASSERT_EQ(windowList().size(), 2u);
    probe().destroy((*windows)[1]);  // the window manager may still list it for a moment
    auto list = windowList();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(memberValue<std::string>(list[0].name), "Stays");
}

TEST_F(X11WindowListTest, ChangedTitlesAndNewAndClosedWindowsShowOnTheNextList) {
    auto windows = map({"--title", "Before"});
    ASSERT_TRUE(record((*windows)[0]));
    std::string title = "After";
    probe().setProperty((*windows)[0], probe().ewmh()._NET_WM_NAME, probe().ewmh().UTF8_STRING, 8, title.data(),
                        title.size());
    EXPECT_EQ(memberValue<std::string>(record((*windows)[0])->name), "After");

    auto more = map({"--title", "Newcomer"});
    EXPECT_TRUE(eventually([&] { return record((*more)[0]).has_value(); }));
    more->destroy(0);
    EXPECT_TRUE(eventually([&] { return !record((*more)[0]).has_value(); }));
}

TEST_F(X11WindowListTest, ReadersOnSeveralThreadsShareOneConnection) {
    auto windows = map({"--title", "Shared", "--pid", "111"});
    auto& desktop = this->desktop();
    auto element = this->element(111, (*windows)[0]);
    std::vector<std::thread> readers;
    for (int reader = 0; reader < 3; ++reader) {
        readers.emplace_back([&, reader] {
            for (int i = 0; i < 200; ++i) {
                switch (reader) {
                case 0: EXPECT_EQ(desktop.windowServer().windowList().size(), 1u); break;
                case 1: EXPECT_EQ(desktop.display().screens().size(), 2u); break;
                default: EXPECT_TRUE(desktop.accessibility().copyAttribute(element, platform::ax::kTitle).value);
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
