#include "ranking/scorer.hpp"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <unicode/uchar.h>
#include <unicode/unorm2.h>

#include "support/temp_folder.hpp"
#include "support/sim_fixture.hpp"

namespace zerlith {

namespace {

using nlohmann::json;

/// The screen the user works on in every case here.
constexpr std::string_view kMain = "Main";

Target window(const std::string& title, const std::string& bundleID = "com.example.app",
              std::optional<std::string> screenName = std::nullopt, const std::string& id = "") {
    Target target;
    target.id = id.empty() ? "win:" + bundleID + ":" + title : id;
    target.kind = TargetKind::window;
    target.title = title;
    target.bundleID = bundleID;
    target.screenName = std::move(screenName);
    target.window = std::make_shared<WindowRef>();
    return target;
}

Target tab(const std::string& title, BrowserKind browser = BrowserKind::chrome) {
    Target target;
    target.id = "tab:" + std::string(rawValue(browser)) + ":1:https://example.com/" + title;
    target.kind = TargetKind::tab;
    target.title = title;
    target.bundleID = std::string(bundleIdentifier(browser));
    target.tab = TabRef{browser, 1, 1, "https://example.com/" + title};
    return target;
}

json usage(double lastUsed, std::int64_t count, json affinity = json::object()) {
    return {{"lastUsed", lastUsed}, {"count", count}, {"affinity", std::move(affinity)}};
}

std::vector<std::string> idsOf(const std::vector<Target>& targets) {
    std::vector<std::string> ids;
    for (const auto& target : targets) ids.push_back(target.id);
    return ids;
}

/// The ids of `targets` at the given positions.
std::vector<std::string> idsAt(const std::vector<Target>& targets,
                               std::initializer_list<std::size_t> positions) {
    std::vector<std::string> ids;
    for (std::size_t i : positions) ids.push_back(targets.at(i).id);
    return ids;
}

std::map<std::string, double> scoresOf(const std::vector<Target>& targets) {
    std::map<std::string, double> scores;
    for (const auto& target : targets) scores[target.id] = target.score;
    return scores;
}

/// A desktop with one screen, "Main", under the pointer, and a usage store loaded from a history.
class ScorerTest : public ::testing::Test {
protected:
    std::unique_ptr<UsageStore> storeWith(const json& history) {
        const auto file = temp.path() / "Zerlith" / "usage.json";
        testing::writeText(file, history.dump());
        return std::make_unique<UsageStore>(file, fixture.clock, fixture.dispatch, UsageStore::ContextReader{});
    }

    testing::SimDesktopFixture fixture{json{
        {"screens", json::array({{{"name", "Main"}, {"frame", {{"x", 0}, {"y", 0}, {"w", 80}, {"h", 60}}}}})},
        {"pointer", {{"x", 10}, {"y", 10}}},
    }};
    testing::TempFolder temp;
    UsageStore noHistory{std::nullopt, fixture.clock, fixture.dispatch, {}};
    double now = fixture.clock.now();
};

TEST_F(ScorerTest, WorkedExampleAndItsCurrentTwin) {
    // Three uses, the last ten minutes ago, two of four context-tagged uses from the context asked.
    const json affinity = {{"com.example.app|Notes", 2}, {"com.example.app|Mail", 2}};
    const auto store = storeWith({{"win:com.example.app:Mail", usage(now - 600, 3, affinity)}});
    const auto mail = window("Mail", "com.example.app", "Main");

    const auto elsewhere = Scorer::rank({mail}, "com.example.app|Notes", kMain, *store);
    EXPECT_NEAR(elsewhere.at(0).score, 15 + 12 + 20 + 5 + 3, 1e-9);
    const auto onIt = Scorer::rank({mail}, "com.example.app|Mail", kMain, *store);
    EXPECT_NEAR(onIt.at(0).score, 55 - 1000, 1e-9);
}

TEST_F(ScorerTest, RecencyAndFrequencyTerms) {
    struct Case {
        const char* id;
        double lastUsedFromNow;  // ignored when never used
        bool used;
        std::int64_t count;
        double score;
    };
    const Case cases[] = {
        {"never", 0, false, 0, 0},
        {"now", 0, true, 0, 30},
        {"tenMinutes", -600, true, 0, 15},
        {"anHour", -3600, true, 0, 30.0 / 7},
        {"aDay", -86400, true, 0, 30.0 / 145},
        {"future", 3600, true, 0, 30},  // the clock moved back: never more than 30
        {"once", 0, false, 1, 6},
        {"thrice", 0, false, 3, 12},
        {"sevenTimes", 0, false, 7, 18},
    };
    json history = json::object();
    std::vector<Target> targets;
    for (const auto& c : cases) {
        history[c.id] = usage(c.used ? now + c.lastUsedFromNow : 0, c.count);
        targets.push_back(window(c.id, "com.example.other", std::nullopt, c.id));
    }
    const auto store = storeWith(history);
    const auto scores = scoresOf(Scorer::rank(targets, std::nullopt, kMain, *store));
    for (const auto& c : cases) EXPECT_NEAR(scores.at(c.id), c.score, 1e-9) << c.id;
}

TEST_F(ScorerTest, ContextAffinityNeedsContextTaggedUses) {
    const auto store = storeWith({
        {"untagged", usage(0, 1)},
        {"tagged", usage(0, 4, {{"ctx", 1}, {"other", 3}})},
    });
    const std::vector<Target> targets = {window("a", "x", std::nullopt, "untagged"),
                                         window("b", "x", std::nullopt, "tagged")};
    const auto withContext = scoresOf(Scorer::rank(targets, "ctx", kMain, *store));
    EXPECT_NEAR(withContext.at("untagged"), 6, 1e-9);
    EXPECT_NEAR(withContext.at("tagged"), 6 * std::log2(5.0) + 10, 1e-9);
    const auto withoutContext = scoresOf(Scorer::rank(targets, std::nullopt, kMain, *store));
    EXPECT_NEAR(withoutContext.at("tagged"), 6 * std::log2(5.0), 1e-9);
}

TEST_F(ScorerTest, SameApplicationAndSameScreenBonuses) {
    const std::vector<Target> targets = {
        window("Mail", "com.example.app"),   window("Notes", "com.example.other"),
        window("Main", "com.x", "Main", "onMain"), window("Other", "com.x", "Other", "onOther"),
        tab("Docs"),
    };
    struct Case {
        std::optional<std::string> context;
        std::map<std::string, double> scores;
    };
    const Case cases[] = {
        {std::nullopt, {{"win:com.example.app:Mail", 0}, {"win:com.example.other:Notes", 0}, {"onMain", 3}}},
        {"com.example.app|Inbox", {{"win:com.example.app:Mail", 5}, {"win:com.example.other:Notes", 0}}},
        {"|com.example.app|Inbox", {{"win:com.example.app:Mail", 5}}},  // empty pieces are dropped
        {"|||", {{"win:com.example.app:Mail", 0}, {"onOther", 0}}},
        {"com.example.app|Inbox", {{"tab:chrome:1:https://example.com/Docs", 5}, {"onOther", 0}}},
        {std::nullopt, {{"tab:chrome:1:https://example.com/Docs", 5}}},
    };
    for (const auto& c : cases) {
        const auto scores = scoresOf(Scorer::rank(targets, c.context, kMain, noHistory));
        for (const auto& [id, score] : c.scores) {
            EXPECT_DOUBLE_EQ(scores.at(id), score) << id << " in " << c.context.value_or("(none)");
        }
    }
}

TEST_F(ScorerTest, CurrentApplicationSinksBelowEverythingElse) {
    const std::vector<Target> targets = {
        tab("Apple", BrowserKind::safari), window("Safari window", "com.apple.Safari"),
        window("Terminal", "com.example.term"), tab("Zulu"),
    };
    const auto ranked = Scorer::rank(targets, "com.apple.Safari", kMain, noHistory);
    EXPECT_EQ(idsOf(ranked), idsAt(targets, {3, 2, 0, 1}));
    EXPECT_DOUBLE_EQ(ranked[2].score, 5 - 1000);
    EXPECT_DOUBLE_EQ(ranked[3].score, 5 - 1000);
}

TEST(ScorerIsCurrent, MatchesApplicationAndTitlePrefixes) {
    struct Case {
        std::string_view context;
        std::string bundleID;
        std::string title;
        bool current;
    };
    const Case cases[] = {
        {"com.example.app|Inbox", "com.example.app", "Inbox", true},
        {"com.example.app|Inbox", "com.example.app", "Inbox — Archive", true},
        {"com.example.app|Inbox", "com.example.app", "In", true},
        {"com.example.app|Inbox", "com.example.app", "", true},
        {"com.example.app|Inbox", "com.example.app", "Notes", false},
        {"com.example.app|Inbox", "com.example.other", "Inbox", false},
        {"com.example.app|Inbox", "com.example.app", "inbox", false},
        {"com.example.app|a|b", "com.example.app", "a|b — Mail", true},  // the title keeps its bars
        {"com.example.app|a|b", "com.example.app", "a", true},
        {"com.example.app||x", "com.example.app", "|x", true},  // only the first bar separates
        {"com.example.app", "com.example.app", "Anything", true},
        {"com.example.app|", "com.example.app", "Anything", true},
        {"|com.example.app", "com.example.app", "Anything", true},
        {"?|Untitled", "", "Untitled", false},
        {"", "", "", false},
        {"||", "", "", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Scorer::isCurrent(window(c.title, c.bundleID), c.context), c.current)
            << "'" << c.context << "' / " << c.bundleID << " '" << c.title << "'";
    }
}

TEST_F(ScorerTest, EqualScoresGoByTitleThenInputOrder) {
    const std::string composedE = "\u00e9";
    const std::string decomposedE = "e\u0301";
    struct Case {
        const char* what;
        std::vector<std::string> titles;  // ids are the positions in this list
        std::vector<std::string> order;
    };
    const Case cases[] = {
        {"upper case first", {"banana", "apple", "Zebra"}, {"2", "1", "0"}},
        {"equal titles keep input order", {"Same", "Same", "Same"}, {"0", "1", "2"}},
        {"canonical equivalents are equal", {composedE, decomposedE}, {"0", "1"}},
        {"canonical equivalents are equal", {decomposedE, composedE}, {"0", "1"}},
        // Raw bytes would put the decomposed title first ('e' < 0xC3).
        {"compared after normalisation", {decomposedE + "b", composedE + "a"}, {"1", "0"}},
        {"invalid UTF-8 sorts as a replacement character", {"\xff", "z", "\xef\xbf\xbd"}, {"1", "0", "2"}},
        // Punctuation takes a shortcut past ICU, but not a mark after it, nor a space that decomposes.
        {"dash then decomposed", {"\u2014" + decomposedE + "b", "\u2014" + composedE + "a"}, {"1", "0"}},
        {"decomposing space", {"\u2000b", "\u2002a"}, {"1", "0"}},
    };
    for (const auto& c : cases) {
        std::vector<Target> targets;
        for (std::size_t i = 0; i < c.titles.size(); ++i) {
            targets.push_back(window(c.titles[i], "com.x", std::nullopt, std::to_string(i)));
        }
        EXPECT_EQ(idsOf(Scorer::rank(targets, std::nullopt, kMain, noHistory)), c.order) << c.what;
    }
}

TEST(ScorerCanonicalShortcut, CoversOnlyCodePointsComposedOnTheirOwn) {
    // A text of such code points passes the normalisation quick check, which makes it NFC.
    for (UChar32 c = 0; c <= 0x10FFFF; ++c) {
        if (!Scorer::detail::isComposedOnItsOwn(c)) continue;
        ASSERT_EQ(u_getIntPropertyValue(c, UCHAR_NFC_QUICK_CHECK), UNORM_YES) << std::hex << c;
        ASSERT_EQ(u_getCombiningClass(c), 0) << std::hex << c;
    }
}

TEST(ScorerWithoutScreens, WindowsScoreNothingAndTabsLeadByTitle) {
    testing::SimDesktopFixture fixture(json::object());
    UsageStore noHistory(std::nullopt, fixture.clock, fixture.dispatch, {});
    const std::vector<Target> targets = {window("b", "x", "Main"), tab("z"), window("a"), tab("c")};
    const auto ranked = Scorer::rank(targets, std::nullopt, std::nullopt, noHistory);
    EXPECT_EQ(idsOf(ranked), idsAt(targets, {3, 1, 2, 0}));
    const std::vector<double> scores = {ranked[0].score, ranked[1].score, ranked[2].score, ranked[3].score};
    EXPECT_EQ(scores, (std::vector<double>{5, 5, 0, 0}));
}

}  // namespace
}  // namespace zerlith
