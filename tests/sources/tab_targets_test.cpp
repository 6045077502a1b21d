#include "sources/browser_source.hpp"

#include <gtest/gtest.h>

#include "ranking/classifier.hpp"

namespace zerlith::BrowserSource {
namespace {

using detail::fromReports;

/// One browser of the kind reporting these tabs under the family's name.
std::vector<Target> targets(std::vector<platform::BrowserTab> tabs, BrowserKind browser = BrowserKind::chrome) {
    return fromReports({{std::string(rawValue(browser)), 600, std::move(tabs), {}}}, browser);
}

TEST(TabTargets, ATabBecomesATabTarget) {
    const std::string url = "https://github.com/owner/repo/pull/98765";
    const auto found = targets({{12, 3, false, "Docs", url}});
    ASSERT_EQ(found.size(), 1u);
    const Target& tab = found[0];
    EXPECT_EQ(tab.id, "tab:chrome:12:" + url);
    EXPECT_EQ(tab.kind, TargetKind::tab);
    EXPECT_EQ(tab.title, "Docs");
    EXPECT_EQ(tab.subtitle, "github.com/owner/repo \u00B7 Google Chrome");
    EXPECT_EQ(tab.appName, "Google Chrome");
    EXPECT_EQ(tab.bundleID, "com.google.Chrome");
    EXPECT_EQ(tab.category, Classifier::Category::pullRequest);
    EXPECT_FALSE(tab.screenName);
    EXPECT_FALSE(tab.window);
    ASSERT_TRUE(tab.tab);
    EXPECT_EQ(tab.tab->browser, BrowserKind::chrome);
    EXPECT_EQ(tab.tab->windowID, 12);
    EXPECT_EQ(tab.tab->tabIndex, 3);
    EXPECT_EQ(tab.tab->url, url);
}

TEST(TabTargets, TitlesAndUrlsAreTrimmedAndAnEmptyTitleTakesTheHost) {
    struct Case {
        const char* title;
        const char* url;
        std::optional<std::string> shown;  ///< none when the tab is left out
        const char* subtitle;
    };
    const Case cases[] = {
        {"  Spaced  ", " https://www.example.com/a ", "Spaced", "example.com/a \u00B7 Safari"},
        {"", "http://localhost:3000/x", "localhost:3000", "localhost:3000/x \u00B7 Safari"},
        {"T", "", "T", "Safari"},
        {"T", "not a url", "T", "Safari"},
        {" ", "\n", std::nullopt, ""},
    };
    for (const auto& [title, url, shown, subtitle] : cases) {
        const auto found = targets({{5, 1, true, title, url}}, BrowserKind::safari);
        ASSERT_EQ(found.size(), shown ? 1u : 0u) << title << "|" << url;
        if (!shown) continue;
        EXPECT_EQ(found[0].title, *shown);
        EXPECT_EQ(found[0].subtitle, subtitle) << url;
    }
}

TEST(TabTargets, RepeatsAreNumberedPerWindowAndUrl) {
    const auto found = targets({{1, 1, true, "A", "https://x.example/"},
                                {1, 2, false, "B", "https://x.example/"},
                                {2, 1, true, "C", "https://x.example/"},
                                {1, 3, false, "D", "https://x.example/"}});
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[0].id, "tab:chrome:1:https://x.example/");
    EXPECT_EQ(found[1].id, "tab:chrome:1:https://x.example/#1");
    EXPECT_EQ(found[2].id, "tab:chrome:2:https://x.example/");
    EXPECT_EQ(found[3].id, "tab:chrome:1:https://x.example/#2");
    EXPECT_EQ(found[3].title, "D") << "tabs keep the browser's order";
}

TEST(TabTargets, HostileFieldsAreSafe) {
    const std::string invalid = "\xFF\xFE";
    const auto found = targets({{1, 1, true, invalid, "not a url " + invalid}});
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].title, invalid);
    EXPECT_EQ(found[0].subtitle, "Google Chrome");
    EXPECT_EQ(found[0].category, Classifier::Category::other);
}

TEST(TabSubtitle, HostHintAndApplication) {
    EXPECT_EQ(detail::subtitle("", "about:blank", "Safari"), "Safari");
    EXPECT_EQ(detail::subtitle("example.com", "https://example.com/", "Safari"),
              "example.com \u00B7 Safari");
    EXPECT_EQ(detail::subtitle("github.com", "https://github.com/o/r/issues/98765", "Brave"),
              "github.com/o/r \u00B7 Brave");
}

}  // namespace
}  // namespace zerlith::BrowserSource
