#include <gtest/gtest.h>

#include <algorithm>
#include <variant>

#include "platform/sim/desktop_loader.hpp"
#include "platform/sim/desktop_rules.hpp"

namespace zerlith::sim {
namespace {

class ExampleDesktop : public ::testing::Test {
protected:
    void SetUp() override {
        auto loaded = loadDesktopFile(ZERLITH_SOURCE_DIR "/examples/desktop.json");
        const auto* refusal = std::get_if<std::string>(&loaded);
        ASSERT_EQ(refusal, nullptr) << *refusal;
        model = std::get<DesktopModel>(std::move(loaded));
    }

    DesktopModel model;
};

/// The window's frame in the screens' bottom-left space; the primary screen sits at 0,0.
Rect bottomLeft(const Rect& frame, const Rect& primary) {
    return {frame.x, primary.maxY() - frame.y - frame.absHeight(), frame.width, frame.height};
}

bool contains(const Rect& outer, const Rect& inner) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.maxX() <= outer.maxX() &&
           inner.maxY() <= outer.maxY();
}

TEST_F(ExampleDesktop, EveryWindowSitsWhollyOnOneScreenAndBelongsToARunningApp) {
    ASSERT_EQ(model.screens.size(), 2u);
    const Rect primary = model.screens[0].frame;
    EXPECT_EQ(primary.origin(), (Point{0, 0}));
    for (const auto& window : model.windows) {
        const Rect frame = bottomLeft(window.frame, primary);
        EXPECT_TRUE(std::any_of(model.screens.begin(), model.screens.end(), [&](const Screen& screen) {
            return contains(screen.frame, frame);
        })) << window.number;
        EXPECT_NE(findApp(model, window.pid), nullptr) << window.number;
    }
    EXPECT_TRUE(std::any_of(model.screens.begin(), model.screens.end(), [&](const Screen& screen) {
        return contains(screen.frame, Rect{model.pointer.x, model.pointer.y, 0, 0});
    }));
}

TEST_F(ExampleDesktop, CoversTheCasesTheSwitcherMeets) {
    const auto any = [&](auto predicate) {
        return std::any_of(model.windows.begin(), model.windows.end(), predicate);
    };
    EXPECT_TRUE(any([](const Window& w) { return !w.onscreen && !w.minimized && !w.fullScreen; }));
    EXPECT_TRUE(any([](const Window& w) { return w.minimized; }));
    EXPECT_TRUE(any([](const Window& w) { return w.fullScreen; }));
    EXPECT_TRUE(any([](const Window& w) { return w.frame.width < 120 || w.frame.height < 60; }));
    EXPECT_TRUE(any([](const Window& w) { return w.layer == Layer{std::int64_t{3}}; }));
    EXPECT_TRUE(any([&](const Window& w) { return w.pid == model.selfPid; }));
    EXPECT_TRUE(findBrowser(model, Browser::chrome) && findBrowser(model, Browser::safari));
    EXPECT_TRUE(model.now && model.frontmost && findApp(model, *model.frontmost));
    std::string urls;
    for (const auto& window : model.windows)
        for (const auto& tab : window.tabs) urls += tab.url + " ";
    for (const char* host :
         {"github.com", "gitlab.com", "docs.", "developer.apple.com", "localhost:3000", "mail.google.com",
          "calendar.google.com", "meet.google.com", "zoom.us", "figma.com"})
        EXPECT_NE(urls.find(host), std::string::npos) << host;
}

}  // namespace
}  // namespace zerlith::sim
