#include "model/target.hpp"

#include <gtest/gtest.h>

namespace zerlith {
namespace {

Target windowTarget(bool raisesDirectly, std::optional<std::string> screen) {
    auto ref = std::make_shared<WindowRef>();
    ref->windowID = 7;
    ref->pid = 42;
    ref->frame = {10, -20, -800, 600};
    ref->isOnCurrentSpace = false;
    ref->raisesDirectly = raisesDirectly;
    Target target;
    target.id = "win:com.example.app:Notes";
    target.title = "Notes";
    target.subtitle = target.appName = "Example";
    target.bundleID = "com.example.app";
    target.screenName = std::move(screen);
    target.window = ref;
    return target;
}

TEST(TargetJson, WindowMembersAndSortedOrder) {
    const auto json = toJson(windowTarget(false, "Left"));
    EXPECT_EQ(json.dump(),
              R"({"app":"Example","bundleID":"com.example.app","frame":{"h":600.0,"w":800.0,"x":10.0,"y":-20.0},)"
              R"("id":"win:com.example.app:Notes","kind":"window","onCurrentSpace":false,"raiseMode":"activate+match",)"
              R"("score":0.0,"screen":"Left","subtitle":"Example","title":"Notes"})");
}

TEST(TargetJson, ADirectRaiseAndNoScreenMeansNoMember) {
    const auto json = toJson(windowTarget(true, std::nullopt));
    EXPECT_EQ(json["raiseMode"], "ax-direct");
    EXPECT_FALSE(json.contains("screen"));
    EXPECT_FALSE(json.contains("url"));
}

TEST(TargetJson, TabHasUrlAndNoWindowMembers) {
    Target tab;
    tab.id = "tab:chrome:12:https://example.com/a";
    tab.kind = TargetKind::tab;
    tab.title = "A";
    tab.category = Classifier::Category::docs;
    tab.tab = TabRef{BrowserKind::chrome, 12, 3, "https://example.com/a"};
    const auto json = toJson(tab);
    EXPECT_EQ(json["url"], "https://example.com/a");
    EXPECT_EQ(json.dump().find("\\/"), std::string::npos) << "slashes stay unescaped";
    for (const char* absent : {"screen", "frame", "onCurrentSpace", "raiseMode", "category"}) {
        EXPECT_FALSE(json.contains(absent)) << absent;
    }
    EXPECT_EQ(json.dump().find("null"), std::string::npos);
}

TEST(TargetKinds, RawValuesRoundTripAndOthersAreRefused) {
    EXPECT_EQ(targetKindFromRaw("window"), TargetKind::window);
    EXPECT_EQ(targetKindFromRaw("tab"), TargetKind::tab);
    EXPECT_EQ(targetKindFromRaw("Tab"), std::nullopt);
    EXPECT_EQ(browserKindFromRaw("chrome"), BrowserKind::chrome);
    EXPECT_EQ(browserKindFromRaw("safari"), BrowserKind::safari);
    EXPECT_EQ(browserKindFromRaw("firefox"), BrowserKind::firefox);
    EXPECT_EQ(browserKindFromRaw("Chrome"), std::nullopt);
}

TEST(IdNumbering, RepeatsGetASuffixPerBase) {
    IdNumbering numbering;
    EXPECT_EQ(numbering.take("win:a:Untitled").id, "win:a:Untitled");
    EXPECT_EQ(numbering.take("win:a:Other").repeat, 0);
    const auto second = numbering.take("win:a:Untitled");
    EXPECT_EQ(second.id, "win:a:Untitled#1");
    EXPECT_EQ(second.repeat, 1);
    EXPECT_EQ(numbering.take("win:a:Untitled").id, "win:a:Untitled#2");
}

}  // namespace
}  // namespace zerlith
