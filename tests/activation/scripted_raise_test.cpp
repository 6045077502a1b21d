#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cache/snapshot_store.hpp"
#include "cli/scripted_raise.hpp"
#include "support/desktop_builders.hpp"
#include "providers/macos_model/window_menu.hpp"
#include "support/sim_fixture.hpp"
#include "support/temp_folder.hpp"

namespace zerlith::testing {
namespace {

using nlohmann::json;

constexpr Pid kNotes = 501;
constexpr Pid kChrome = 700;

json screenNamed(const std::string& name, const json& frame) { return {{"name", name}, {"frame", frame}}; }

/// Chrome with the tabs "Inbox" (active) and "Design review", and Notes with two windows.
json desktop(bool twoScreens) {
    json screens = json::array({screenNamed("Built-in Display", rect(0, 0, 1440, 900))});
    if (twoScreens) screens.push_back(screenNamed("External Display", rect(1440, 0, 1920, 1080)));
    json browser = window(40, kChrome, "", rect(0, 30, 1200, 800));
    browser.erase("title");
    browser["scriptId"] = 4012;
    browser["tabs"] = {{{"title", "Inbox"}, {"url", "https://mail.example.com/"}},
                       {{"title", "Design review"}, {"url", "https://docs.example.com/d/1"}}};
    return {{"screens", screens},
            {"apps", {app(kNotes, "Notes", "com.example.notes"), app(kChrome, "Google Chrome", "com.google.Chrome")}},
            {"windows", {window(1, kNotes, "Design notes"), window(3, kNotes, "Build:other stuff"), browser}}};
}

class ScriptedRaiseTest : public ::testing::Test {
protected:
    explicit ScriptedRaiseTest(bool twoScreens = false) : sim(desktop(twoScreens)) {}

    std::string tracePath() const { return (folder_.path() / "trace.json").string(); }

    /// Runs the raise with the trace going to a file and gives back the trace.
    json raise(const std::string& query, std::optional<std::string> move = std::nullopt) {
        ScriptedRaise::raise(store, log, query, move, tracePath());
        std::ifstream in(tracePath());
        return json::parse(in, nullptr, false);
    }

    ActivationLog log;
    SimDesktopFixture sim;
    SnapshotStore store;

private:
    TempFolder folder_;
};

TEST_F(ScriptedRaiseTest, AKindSuffixFiltersAndOtherWordsStayPartOfTheQuery) {
    struct Case {
        const char* query;
        const char* chosen;  ///< none: nothing matches
        const char* route;
    };
    // The misses first: raising reorders the windows, and "available" lists them front to back.
    const Case cases[] = {
        {"notes:tab", nullptr, nullptr},
        {":window", nullptr, nullptr},
        {"", nullptr, nullptr},
        {"design:tab", "Design review", "window-menu"},
        {"DESIGN:window", "Design notes", "ax-direct"},
        {"design", "Design review", "window-menu"},  // tabs come first in store order
        {"build:other", "Build:other stuff", "ax-direct"},
    };
    for (const auto& c : cases) {
        const json trace = raise(c.query);
        SCOPED_TRACE(c.query);
        EXPECT_EQ(trace["query"], c.query);
        if (c.chosen == nullptr) {
            EXPECT_EQ(trace, (json{{"query", c.query},
                                   {"found", false},
                                   {"available", {"Inbox", "Design review", "Design notes", "Build:other stuff"}}}));
            continue;
        }
        EXPECT_EQ(trace["found"], true);
        EXPECT_EQ(trace["requestedTitle"], c.chosen);
        EXPECT_EQ(trace["route"], c.route);
        EXPECT_EQ(trace["activated"], true);
    }
}

TEST_F(ScriptedRaiseTest, ARaisedTabReportsTheFrontTabAndTheBrowsersWindow) {
    const json trace = raise("review:tab");
    EXPECT_EQ(trace["app"], "Google Chrome");
    EXPECT_EQ(trace["onCurrentSpace"], false);
    EXPECT_EQ(trace["screenBefore"], "unknown");
    EXPECT_EQ(trace["trace"], (json{"kind=tab tabRef=true windowRef=false", "focusTab: win=4012 tab=2",
                                    "menu.raise target='Design review'", "candidates=1", "landed on candidate 0"}));
    EXPECT_EQ(trace["frontmostApp"], "Google Chrome");
    EXPECT_EQ(trace["activeTabAfter"], "Design review");
    EXPECT_EQ(trace["correctTab"], true);
    EXPECT_EQ(trace["focusedWindowAfter"], "Design review");
    EXPECT_EQ(trace["correctWindow"], true);
    EXPECT_EQ(trace["screenAfter"], "Built-in Display");
    EXPECT_FALSE(trace.contains("toScreen"));
    EXPECT_FALSE(trace.contains("landedOnRequestedScreen"));
}

TEST_F(ScriptedRaiseTest, LeftOnASingleScreenFindsNoDestinationAndRaisesInPlace) {
    const json trace = raise("design notes", "left");
    EXPECT_EQ(trace["fromScreen"], "Built-in Display");
    EXPECT_EQ(trace["toScreen"], "no match");
    EXPECT_EQ(trace["screenAfter"], "Built-in Display");
    EXPECT_FALSE(trace.contains("landedOnRequestedScreen"));
    EXPECT_FALSE(trace.contains("activeTabAfter"));
}

class ScriptedRaiseTwoScreensTest : public ScriptedRaiseTest {
protected:
    ScriptedRaiseTwoScreensTest() : ScriptedRaiseTest(true) {}
};

TEST_F(ScriptedRaiseTwoScreensTest, AMoveValueNamesADirectionOrPartOfAScreenName) {
    struct Case {
        const char* move;
        json fromScreen;  ///< null: not written
    };
    for (const auto& c : {Case{"right", "Built-in Display"}, Case{"eXtErNaL", nullptr}}) {
        SCOPED_TRACE(c.move);
        sim.desktop().update([](sim::DesktopModel& model) {
            model.windows[0].frame = model.windows[0].axFrame = {100, 100, 800, 600};
        });
        const json trace = raise("design notes", c.move);
        EXPECT_EQ(trace.value("fromScreen", json()), c.fromScreen);
        EXPECT_EQ(trace["toScreen"], "External Display");
        EXPECT_EQ(trace["screenBefore"], "Built-in Display");
        EXPECT_EQ(trace["screenAfter"], "External Display");
        EXPECT_EQ(trace["landedOnRequestedScreen"], true);
    }
}

/// One Notes window titled "Report — final", and a store that lists one window target of Notes
/// under another title, as a stale cache would.
class CorrectWindowTest : public ScriptedRaiseTest {
protected:
    json raiseListed(const std::string& title, Pid pid = kNotes) {
        sim.desktop().update([](sim::DesktopModel& model) {
            model.windows[0].title = model.windows[0].axTitle = "Report — final";
        });
        SnapshotStore listed({{std::string(SnapshotStore::kWindows),
                               [=] { return std::vector<Target>{windowTarget(pid, "com.example.notes", title)}; }}});
        ScriptedRaise::raise(listed, log, title, std::nullopt, tracePath());
        std::ifstream in(tracePath());
        return json::parse(in, nullptr, false);
    }
};

TEST_F(CorrectWindowTest, TheFocusedTitleMayExtendOrShortenTheRequestedOne) {
    for (const auto& [title, correct] : {std::pair{"Report", true}, std::pair{"Report — final draft", true},
                                         std::pair{"Budget", false}}) {
        const json trace = raiseListed(title);
        EXPECT_EQ(trace["focusedWindowAfter"], "Report — final") << title;
        EXPECT_EQ(trace["correctWindow"], correct) << title;
    }
}

TEST_F(CorrectWindowTest, AnAppWithoutFocusedWindowEndsTheTraceBeforeTheWindowChecks) {
    const json trace = raiseListed("Report", 999);
    EXPECT_EQ(trace["found"], true);
    EXPECT_EQ(trace["frontmostApp"], "?");
    EXPECT_FALSE(trace.contains("focusedWindowAfter"));
    EXPECT_FALSE(trace.contains("screenAfter"));
}

TEST_F(ScriptedRaiseTest, TheTraceGoesToStandardOutputPrettyAndSortedOrNowhereOnABadPath) {
    const json trace = {{"query", "x"}, {"found", false}, {"available", json::array()}};
    ::testing::internal::CaptureStdout();
    EXPECT_TRUE(ScriptedRaise::write(trace, std::nullopt));
    EXPECT_FALSE(ScriptedRaise::write(trace, std::string()));
    EXPECT_FALSE(ScriptedRaise::write(trace, tracePath() + "/missing-folder/trace.json"));
    const std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "{\n  \"available\": [],\n  \"found\": false,\n  \"query\": \"x\"\n}\n");
}

TEST_F(ScriptedRaiseTest, AnInvalidByteInATitleIsReplacedRatherThanLosingTheTrace) {
    ::testing::internal::CaptureStdout();
    ScriptedRaise::write({{"query", "x"}, {"requestedTitle", "caf\xe9"}}, std::nullopt);
    const std::string printed = ::testing::internal::GetCapturedStdout();
    ASSERT_TRUE(json::accept(printed)) << printed;
    EXPECT_EQ(json::parse(printed)["requestedTitle"], "caf\uFFFD");
}

TEST_F(ScriptedRaiseTest, TheTraceFileIsReplacedWhole) {
    ScriptedRaise::write({{"query", "first"}}, tracePath());
    ScriptedRaise::write({{"query", "second"}, {"url", "https://a.example/x"}}, tracePath());
    std::ifstream in(tracePath());
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "{\n  \"query\": \"second\",\n  \"url\": \"https://a.example/x\"\n}");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(std::filesystem::path(tracePath()).parent_path()),
                            std::filesystem::directory_iterator()),
              1);
}

}  // namespace
}  // namespace zerlith::testing
