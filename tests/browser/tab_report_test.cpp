#include "browser/tab_report.hpp"

#include <gtest/gtest.h>

namespace zerlith::browser {
namespace {

using nlohmann::json;

TEST(TabReport, KeepsWellFormedTabsAndSkipsTheRest) {
    const json good = {{"index", 0}, {"active", true}, {"title", "Docs"}, {"url", "https://d.example/"}};
    struct Case {
        const char* name;
        json windows;
        std::optional<std::size_t> tabs;
    };
    const Case cases[] = {
        {"not an array", json::object(), std::nullopt},
        {"empty", json::array(), 0},
        {"good", {{{"id", 7}, {"tabs", {good, good}}}}, 2},
        {"window without id", {{{"tabs", {good}}}}, 0},
        {"window id not an integer", {{{"id", "7"}, {"tabs", {good}}}, {{"id", 1.5}, {"tabs", {good}}}}, 0},
        {"tabs not an array", {{{"id", 7}, {"tabs", good}}}, 0},
        {"windows and tabs not objects", {1, "x", nullptr, {{"id", 7}, {"tabs", {1, "x", json::array()}}}}, 0},
        {"negative or missing index",
         {{{"id", 7}, {"tabs", {{{"index", -1}}, {{"title", "no index"}}, {{"index", 9223372036854775807}}}}}}, 0},
        {"title and url of other types", {{{"id", 7}, {"tabs", {{{"index", 0}, {"title", 5}, {"url", {1}}}}}}}, 1},
    };
    for (const auto& [name, windows, tabs] : cases) {
        const auto parsed = parseTabReport(windows);
        EXPECT_EQ(parsed ? std::optional(parsed->size()) : std::nullopt, tabs) << name;
    }
}

TEST(TabReport, RoundTripsThroughItsReportForm) {
    const std::vector<platform::BrowserTab> tabs{{12, 1, false, "One", "https://one/"},
                                                 {12, 2, true, "Two\x1f\n", "https://two/"},
                                                 {40, 1, true, "", ""}};
    const auto again = parseTabReport(tabReport(tabs));
    ASSERT_TRUE(again);
    ASSERT_EQ(again->size(), tabs.size());
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        EXPECT_EQ((*again)[i].windowID, tabs[i].windowID);
        EXPECT_EQ((*again)[i].index, tabs[i].index);
        EXPECT_EQ((*again)[i].active, tabs[i].active);
        EXPECT_EQ((*again)[i].title, tabs[i].title);
        EXPECT_EQ((*again)[i].url, tabs[i].url);
    }
}

}  // namespace
}  // namespace zerlith::browser
