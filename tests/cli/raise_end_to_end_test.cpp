// The scripted raise through the built executable, on desktops with virtual time: every wait of
// the raise passes at once, so the traces are the same on every run.
#include <nlohmann/json.hpp>

#include "executable_test.hpp"

namespace {

using nlohmann::json;
json frame(int x, int y, int w, int h) { return {{"x", x}, {"y", y}, {"w", w}, {"h", h}}; }

/// Two screens with the pointer on the right one; an editor raised directly, an application
/// reached only through its Window menu, one whose menu presses need it in front, and Safari.
json desktop() {
    return {
        {"virtualTime", true},
        {"screens", json::array({{{"name", "Left Display"}, {"frame", frame(0, 0, 1920, 1080)}},
                                 {{"name", "Right Display"}, {"frame", frame(1920, 0, 2560, 1440)}}})},
        {"pointer", {{"x", 2500}, {"y", 500}}},
        {"apps", json::array({{{"pid", 10}, {"name", "Editor"}, {"bundleID", "org.example.editor"}},
                              {{"pid", 30}, {"name", "Ledger"}, {"bundleID", "org.example.ledger"}},
                              {{"pid", 40}, {"name", "Sketch"}, {"bundleID", "org.example.sketch"},
                               {"pressNeedsActivation", true}},
                              {{"pid", 20}, {"name", "Safari"}, {"bundleID", "com.apple.Safari"}}})},
        {"windows", json::array({
            {{"number", 1}, {"pid", 10}, {"title", "notes.txt"}, {"frame", frame(100, 100, 800, 600)}},
            {{"number", 2}, {"pid", 30}, {"title", "Accounts 2026"}, {"ax", false},
             {"frame", frame(2000, 100, 900, 700)}},
            {{"number", 3}, {"pid", 40}, {"title", "Logo draft"}, {"ax", false}, {"frame", frame(200, 200, 700, 500)}},
            {{"number", 4}, {"pid", 20}, {"frame", frame(2100, 50, 1200, 900)}, {"scriptId", 77},
             {"tabs", json::array({{{"title", "Notes — Wiki"}, {"url", "https://wiki.example.com/notes"}},
                                   {{"title", "Release notes"}, {"url", "https://example.com/releases"}}})}},
        })},
        {"frontmost", 10},
    };
}

class RaiseEndToEnd : public zerlith::testing::ExecutableTest {
protected:
    /// The trace that a raise with these arguments prints on the desktop above.
    json raise(const std::string& arguments) {
        const auto outcome = run(writeDesktop(desktop().dump()), arguments);
        EXPECT_EQ(outcome.status, 0);
        EXPECT_TRUE(json::accept(outcome.out)) << outcome.out << outcome.err;
        return json::accept(outcome.out) ? json::parse(outcome.out) : json{};
    }
};

TEST_F(RaiseEndToEnd, DirectRouteRaisesTheWindowWithItsElement) {
    EXPECT_EQ(raise("--raise=NOTES.TXT"), (json{
        {"query", "NOTES.TXT"}, {"found", true}, {"requestedTitle", "notes.txt"}, {"app", "Editor"},
        {"onCurrentSpace", true}, {"route", "ax-direct"}, {"screenBefore", "Left Display"}, {"activated", true},
        {"trace", {"kind=window tabRef=false windowRef=true"}}, {"frontmostApp", "Editor"},
        {"focusedWindowAfter", "notes.txt"}, {"correctWindow", true}, {"screenAfter", "Left Display"}}));
}

TEST_F(RaiseEndToEnd, WindowMenuRouteRaisesAWindowWithoutElement) {
    const auto trace = raise("--raise=accounts");
    EXPECT_EQ(trace["route"], "window-menu");
    EXPECT_EQ(trace["trace"], (json{"kind=window tabRef=false windowRef=true", "menu.raise target='Accounts 2026'",
                                    "candidates=1", "landed on candidate 0"}));
    EXPECT_EQ(trace["frontmostApp"], "Ledger");
    EXPECT_EQ(trace["focusedWindowAfter"], "Accounts 2026");
    EXPECT_EQ(trace["screenAfter"], "Right Display");
}

TEST_F(RaiseEndToEnd, TabRouteSelectsTheTabAndMovesItsWindowLeft) {
    const auto trace = raise("--raise=release:tab --move=left");
    EXPECT_EQ(trace["requestedTitle"], "Release notes");
    EXPECT_EQ(trace["route"], "window-menu");
    EXPECT_EQ(trace["onCurrentSpace"], false);
    EXPECT_EQ(trace["screenBefore"], "unknown");
    EXPECT_EQ(trace["fromScreen"], "Right Display");
    EXPECT_EQ(trace["toScreen"], "Left Display");
    EXPECT_EQ(trace["trace"], (json{"kind=tab tabRef=true windowRef=false", "focusTab: win=77 tab=2",
                                    "menu.raise target='Release notes'", "candidates=1", "landed on candidate 0"}));
    EXPECT_EQ(trace["activeTabAfter"], "Release notes");
    EXPECT_EQ(trace["correctTab"], true);
    EXPECT_EQ(trace["focusedWindowAfter"], "Release notes");
    EXPECT_EQ(trace["screenAfter"], "Left Display");
    EXPECT_EQ(trace["landedOnRequestedScreen"], true);
}

TEST_F(RaiseEndToEnd, KindSuffixPicksAmongKinds) {
    // "notes" is in a tab title before any window title in store order; the suffix skips tabs.
    EXPECT_EQ(raise("--raise=notes")["requestedTitle"], "Notes — Wiki");
    EXPECT_EQ(raise("--raise=notes:window")["requestedTitle"], "notes.txt");
    const auto colonKept = raise("--raise=notes:windows");
    EXPECT_EQ(colonKept["found"], false) << "an unknown kind word is part of the query";
}

TEST_F(RaiseEndToEnd, QueryThatMatchesNothingListsEveryTitleInStoreOrder) {
    EXPECT_EQ(raise("--raise=:window"), (json{
        {"query", ":window"}, {"found", false},
        {"available", {"Notes — Wiki", "Release notes", "notes.txt", "Accounts 2026", "Logo draft"}}}));
}

TEST_F(RaiseEndToEnd, PressThatNeedsActivationIsRetriedAfterActivating) {
    const auto trace = raise("--raise=logo");
    EXPECT_EQ(trace["trace"], (json{"kind=window tabRef=false windowRef=true", "menu.raise target='Logo draft'",
                                    "candidates=1", "press was a no-op; activating and retrying",
                                    "landed after activation"}));
    EXPECT_EQ(trace["frontmostApp"], "Sketch");
    EXPECT_EQ(trace["correctWindow"], true);
}

TEST_F(RaiseEndToEnd, TraceGoesToTheDumpFileWhenOneIsNamed) {
    const auto path = directory_ / "trace.json";
    const auto outcome = run(writeDesktop(desktop().dump()), "--raise=notes.txt --dump-file='" + path.string() + "'");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out + outcome.err, "");
    EXPECT_EQ(json::parse(zerlith::testing::readFile(path))["requestedTitle"], "notes.txt");
}

}  // namespace
