#include <gtest/gtest.h>

#include <thread>

#include "support/desktop_builders.hpp"
#include "providers/macos_model/window_menu.hpp"
#include "support/sim_fixture.hpp"

namespace zerlith::testing {
namespace {

using nlohmann::json;
using Lines = std::vector<std::string>;

TEST(WindowMenuCompare, MatchesEqualPrefixedAndTruncatedTitles) {
    struct Case {
        const char* observed;
        const char* wanted;
        bool matches;
    };
    const Case cases[] = {
        {"Notes", "Notes", true},
        {"Notes — Copy", "Notes", true},
        {"Not", "Notes", true},
        {"Notes", "Mail", false},
        {"Quarterly report for\u2026final.txt", "Quarterly report for the board final.txt", true},
        {"Quarterly report for\u2026final.txt", "Quarterly report for the board draft.txt", false},
        {"Quarterly report for\u2026final.txt", "Annual report for the board final.txt", false},
        // Fewer than 8 characters around the ellipsis: only equality and prefixes count.
        {"ab\u2026cd", "abXYZcd", false},
        {"ab\u2026cd", "ab\u2026cd and more", true},
        // Three accented letters written with combining marks are three characters, not six.
        {"e\u0301e\u0301e\u0301\u2026abcd", "e\u0301e\u0301e\u0301 middle abcd", false},
        {"e\u0301e\u0301e\u0301\u2026abcde", "e\u0301e\u0301e\u0301 middle abcde", true},
        {"\u2026long enough tail", "x long enough tail", false},
        {"long enough head\u2026", "long enough head x", false},
        {"", "anything", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WindowMenu::compare(c.observed, c.wanted), c.matches) << c.observed << " / " << c.wanted;
    }
}

constexpr Pid kNotes = 501;
constexpr Pid kFinder = 600;

json notesWindows() {
    return {window(10, kFinder, "Home"), window(1, kNotes, "Notes"), window(2, kNotes, "Notes — Copy"),
            window(3, kNotes, "Notes 2")};
}

json desktopWithMenus(const json& menus, const json& windows = notesWindows()) {
    json notes = app(kNotes, "Notes", "com.example.notes");
    notes["menus"] = menus;
    return {{"apps", {notes, app(kFinder, "Finder", "com.apple.finder")}}, {"windows", windows}, {"frontmost", kFinder}};
}

json standardMenus() {
    return {{{"title", "File"}, {"items", {"New Note"}}},
            {{"title", "Window"},
             {"items", {raising("Notes — Copy", 2), "Minimize", raising("Notes", 1), raising("Notes 2", 3),
                        raising("Project — Notes", 1), ""}}}};
}

class WindowMenuTest : public ::testing::Test {
protected:
    explicit WindowMenuTest(const json& desktop = desktopWithMenus(standardMenus())) : sim(desktop) {}

    Lines titlesOf(const std::vector<platform::AXElementRef>& items) {
        Lines titles;
        for (const auto& item : items) titles.push_back(AX::string(item, platform::ax::kTitle).value_or("?"));
        return titles;
    }

    std::int64_t frontWindow() { return sim.desktop().state().windows.front().number; }

    ActivationLog log;
    SimDesktopFixture sim;
};

TEST_F(WindowMenuTest, ExactMatchesComeFirstThenLooseOnesInMenuOrder) {
    EXPECT_EQ(titlesOf(WindowMenu::matchingItems(kNotes, "Notes")),
              (Lines{"Notes", "Notes — Copy", "Notes 2", "Project — Notes"}));
    EXPECT_EQ(titlesOf(WindowMenu::matchingItems(kNotes, "Project — Notes")), (Lines{"Project — Notes"}));
}

TEST_F(WindowMenuTest, EmptyTitleMatchesEveryNamedEntryAndAnyFocusedWindow) {
    EXPECT_EQ(WindowMenu::matchingItems(kNotes, "").size(), 5u);
    EXPECT_TRUE(WindowMenu::raise(log, kNotes, "", 0, {}));
    EXPECT_EQ(log.lastTrace(), (Lines{"menu.raise target=''", "candidates=5", "landed on candidate 0"}));
}

TEST_F(WindowMenuTest, DuplicateIndexRotatesWhereTheAttemptsStart) {
    struct Case {
        std::int64_t duplicateIndex;
        std::int64_t raisedWindow;
    };
    // Candidates for "Notes": Notes (1), Notes — Copy (2), Notes 2 (3), Project — Notes (1).
    for (const Case c : {Case{0, 1}, Case{1, 2}, Case{2, 3}, Case{9, 1}}) {
        sim.desktop().update([](sim::DesktopModel& model) { model.frontmost = kFinder; });
        log.startTrace("start");
        EXPECT_TRUE(WindowMenu::raise(log, kNotes, "Notes", c.duplicateIndex, {}));
        EXPECT_EQ(frontWindow(), c.raisedWindow) << "duplicate index " << c.duplicateIndex;
        EXPECT_EQ(log.lastTrace().back(), "landed on candidate 0");
    }
}

TEST_F(WindowMenuTest, AWindowThatFailsTheCheckPassesToTheNextCandidate) {
    int calls = 0;
    EXPECT_TRUE(WindowMenu::raise(log, kNotes, "Notes", 0, [&] { return ++calls > 1; }));
    EXPECT_EQ(log.lastTrace(), (Lines{"menu.raise target='Notes'", "candidates=4",
                                              "candidate 0 was the wrong window", "landed on candidate 1"}));
    EXPECT_EQ(frontWindow(), 2);
}

TEST_F(WindowMenuTest, NoCandidatePassingTheCheckFails) {
    // "Notes" and the part after the separator of "Project — Notes" begin "Notes 2": loose matches.
    EXPECT_FALSE(WindowMenu::raise(log, kNotes, "Notes 2", 0, [] { return false; }));
    EXPECT_EQ(log.lastTrace(),
              (Lines{"menu.raise target='Notes 2'", "candidates=3", "candidate 0 was the wrong window",
                     "candidate 1 was the wrong window", "candidate 2 was the wrong window",
                     "no candidate satisfied the check"}));
}

struct MenuBarCase {
    const char* name;
    json menus;
    bool axError;
    bool finds;
};

class WindowMenuBarTest : public ::testing::TestWithParam<MenuBarCase> {};

TEST_P(WindowMenuBarTest, SearchesTheWindowMenuOrElseEveryMenu) {
    json desktop = desktopWithMenus(GetParam().menus);
    desktop["apps"][0]["axError"] = GetParam().axError;
    SimDesktopFixture sim(desktop);
    ActivationLog log;

    EXPECT_EQ(WindowMenu::raise(log, kNotes, "Notes", 0, {}), GetParam().finds);
    const auto trace = log.lastTrace();
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.front(), "menu.raise target='Notes'");
    if (!GetParam().finds) {
        EXPECT_EQ(trace, (Lines{"menu.raise target='Notes'", "no matching menu entry"}));
        EXPECT_FALSE(log.hint("com.example.notes"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    MenuBars, WindowMenuBarTest,
    ::testing::Values(
        MenuBarCase{"NoMenuBar", json::array(), true, false},
        MenuBarCase{"NoMenus", json::array(), false, false},
        MenuBarCase{"NoWindowMenuSearchesAll",
                    {{{"title", "File"}, {"items", {"New"}}}, {{"title", "View"}, {"items", {raising("Notes", 1)}}}},
                    false, true},
        MenuBarCase{"OnlyTheWindowMenuIsSearched",
                    {{{"title", "File"}, {"items", {raising("Notes", 1)}}}, {{"title", "Window"}, {"items", {"Minimize"}}}},
                    false, false},
        MenuBarCase{"UnnamedEntriesAreSkipped", {{{"title", "Window"}, {"items", {"", raising("Notes", 1)}}}}, false,
                    true}),
    [](const ::testing::TestParamInfo<MenuBarCase>& param) { return std::string(param.param.name); });

/// A Notes app whose menu presses do nothing until it is frontmost.
class ActivationHintTest : public WindowMenuTest {
protected:
    ActivationHintTest() : WindowMenuTest(desktop()) {}

    static json desktop() {
        json d = desktopWithMenus({{{"title", "Window"}, {"items", {raising("Notes", 1)}}}},
                                  {window(10, kFinder, "Home"), window(1, kNotes, "Notes")});
        d["apps"][0]["pressNeedsActivation"] = true;
        return d;
    }

    /// Leaves for Finder, raises Notes, and gives back what the desktop saw during the raise.
    Lines raiseFromFinder() {
        sim.desktop().update([](sim::DesktopModel& model) { model.frontmost = kFinder; });
        const auto mark = sim.desktop().actionLog().size();
        log.startTrace("start");
        EXPECT_TRUE(WindowMenu::raise(log, kNotes, "Notes", 0, {}));
        return linesFrom(sim.desktop().actionLog(), mark);
    }

    ActivationHint notesHint() {
        return log.hint("com.example.notes").value_or(ActivationHint{-1, std::nullopt});
    }

    /// Moves the clock to `seconds` after the app was marked.
    void advanceToAgeOfMark(double seconds) {
        const double age = static_cast<double>(sim.clock.monotonicNanos() - *notesHint().markedAt) / 1e9;
        sim.clock.advance(seconds - age);
    }

    static constexpr const char* kRetried = "press was a no-op; activating and retrying";
};

TEST_F(ActivationHintTest, TheFirstNoOpIsCountedAndTheSecondMarksTheApp) {
    EXPECT_EQ(raiseFromFinder(), (Lines{"press menuItem 501 Notes (app not frontmost: no effect)", "activate 501",
                                        "press menuItem 501 Notes"}));
    EXPECT_EQ(log.lastTrace(), (Lines{"start", "menu.raise target='Notes'", "candidates=1", kRetried,
                                              "landed after activation"}));
    EXPECT_EQ(notesHint().consecutiveNoOps, 1);
    EXPECT_FALSE(notesHint().markedAt);

    const auto before = sim.clock.monotonicNanos();
    raiseFromFinder();
    EXPECT_EQ(notesHint().consecutiveNoOps, 2);
    ASSERT_TRUE(notesHint().markedAt);
    EXPECT_GT(*notesHint().markedAt, before);
    EXPECT_LT(*notesHint().markedAt, sim.clock.monotonicNanos());
}

TEST_F(ActivationHintTest, AFreshMarkActivatesBeforeThePressAndSkipsTheRetry) {
    raiseFromFinder();
    raiseFromFinder();
    const auto marked = notesHint();

    advanceToAgeOfMark(599.5);
    const double start = elapsed(sim.clock);
    EXPECT_EQ(raiseFromFinder(), (Lines{"activate 501", "press menuItem 501 Notes"}));
    EXPECT_EQ(log.lastTrace(), (Lines{"start", "menu.raise target='Notes'", "candidates=1", "landed on candidate 0"}));
    // 250 ms after the activation, then one 50 ms poll.
    EXPECT_NEAR(elapsed(sim.clock) - start, 0.3, 0.01);
    // A landing after pre-activation leaves the mark as it was.
    EXPECT_EQ(notesHint().consecutiveNoOps, marked.consecutiveNoOps);
    EXPECT_EQ(notesHint().markedAt, marked.markedAt);
}

TEST_F(ActivationHintTest, AMarkOlderThanTenMinutesIsClearedBeforeThePress) {
    raiseFromFinder();
    raiseFromFinder();
    advanceToAgeOfMark(600.5);
    EXPECT_EQ(raiseFromFinder().front(), "press menuItem 501 Notes (app not frontmost: no effect)");
    EXPECT_EQ(log.lastTrace()[3], kRetried);
    // Cleared, then counted again by this raise's no-op.
    EXPECT_EQ(notesHint().consecutiveNoOps, 1);
    EXPECT_FALSE(notesHint().markedAt);
}

TEST_F(ActivationHintTest, ACleanLandingClearsTheCount) {
    raiseFromFinder();
    sim.desktop().update([](sim::DesktopModel& model) { model.frontmost = kNotes; });
    EXPECT_TRUE(WindowMenu::raise(log, kNotes, "Notes", 0, {}));
    EXPECT_EQ(log.lastTrace().back(), "landed on candidate 0");
    EXPECT_EQ(notesHint().consecutiveNoOps, 0);
    EXPECT_FALSE(notesHint().markedAt);
}

TEST_F(ActivationHintTest, AppsWithoutBundleIdentifierAreKeyedByProcessID) {
    sim.desktop().update([](sim::DesktopModel& model) { model.apps[0].bundleID.reset(); });
    raiseFromFinder();
    ASSERT_TRUE(log.hint("501"));
    EXPECT_EQ(log.hint("501")->consecutiveNoOps, 1);
}

TEST_F(ActivationHintTest, OverlappingRaisesKeepTheTraceAndTheHintsWhole) {
    // Background raises of consecutive activations may overlap; every line and hint stays intact.
    std::vector<std::thread> raises;
    for (int i = 0; i < 4; ++i) {
        raises.emplace_back([this] {
            for (int round = 0; round < 5; ++round) {
                WindowMenu::raise(log, kNotes, "Notes", 0, {});
                log.startTrace("start");
                (void)log.lastTrace();
            }
        });
    }
    for (auto& raise : raises) raise.join();
    for (const auto& line : log.lastTrace()) EXPECT_FALSE(line.empty());
    EXPECT_TRUE(log.hint("com.example.notes"));
}

TEST(ActivationLogTest, HintUpdatesFromManyThreadsAreNeverLost) {
    ActivationLog log;
    std::vector<std::thread> counters;
    for (int i = 0; i < 4; ++i) {
        counters.emplace_back([&log] {
            for (int round = 0; round < 1000; ++round) {
                log.updateHint("com.example.notes", [](ActivationHint& hint) { hint.consecutiveNoOps += 1; });
            }
        });
    }
    for (auto& counter : counters) counter.join();
    EXPECT_EQ(log.hint("com.example.notes")->consecutiveNoOps, 4000);
}

TEST_F(WindowMenuTest, APressThatNeverLandsWaitsOutTheFirstTimeoutTheActivationAndTheRetry) {
    // "Minimize" is an entry that raises nothing; the focused window never matches its title.
    const double start = elapsed(sim.clock);
    EXPECT_FALSE(WindowMenu::raise(log, kNotes, "Minimize", 0, {}));
    EXPECT_NEAR(elapsed(sim.clock) - start, 0.45 + 0.4 + 0.6, 0.11);
    EXPECT_EQ(log.lastTrace(), (Lines{"menu.raise target='Minimize'", "candidates=1",
                                              "press was a no-op; activating and retrying",
                                              "no candidate satisfied the check"}));
}

}  // namespace
}  // namespace zerlith::testing
