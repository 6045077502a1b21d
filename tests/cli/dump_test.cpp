#include "cli/dump.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "cache/snapshot_store.hpp"
#include "ranking/usage_store.hpp"
#include "support/sim_fixture.hpp"
#include "system/usage_context.hpp"

namespace zerlith::Dump {
namespace {

using nlohmann::json;

const json kTwoScreens = json::array({
    {{"name", "Left"}, {"frame", {{"x", 0}, {"y", 0}, {"w", 1440}, {"h", 900}}}},
    {{"name", "Right"}, {"frame", {{"x", 1440}, {"y", 0.5}, {"w", -1920}, {"h", 1080}}}},
});

json window(int number, int pid, const char* title, bool onscreen, bool ax) {
    return {{"number", number}, {"pid", pid}, {"title", title}, {"onscreen", onscreen}, {"ax", ax},
            {"frame", {{"x", 100}, {"y", 100}, {"w", 800}, {"h", 600}}}};
}

const json kDesktop = {
    {"screens", kTwoScreens},
    {"apps", json::array({{{"pid", 501}, {"name", "Notes"}, {"bundleID", "com.apple.Notes"}},
                          {{"pid", 600}, {"name", "Google Chrome"}, {"bundleID", "com.google.Chrome"}}})},
    {"windows", json::array({window(1, 501, "Shopping", true, true), window(2, 501, "Recipes", false, false),
                             window(3, 501, "Drafts", true, false),
                             {{"number", 9}, {"pid", 600}, {"frame", {{"x", 0}, {"y", 0}, {"w", 900}, {"h", 700}}},
                              {"tabs", json::array({{{"title", "Docs"}, {"url", "https://docs.example.com/a/b"}}})}}})},
};

class DumpTest : public ::testing::Test {
protected:
    json dump(const json& desktop) {
        testing::SimDesktopFixture sim(desktop);
        SnapshotStore store;
        UsageStore usage(std::nullopt, sim.clock, sim.dispatch, UsageContext::currentKey);
        return json::parse(dumpJSON(store, usage));
    }
};

TEST_F(DumpTest, CountsAndMembers) {
    const auto result = dump(kDesktop);
    EXPECT_EQ(result["targetCount"], 4);
    EXPECT_EQ(result["onOtherSpaces"], 1) << "the window on another Space";
    EXPECT_EQ(result["axDirectCount"], 1) << "only the window listed by accessibility";
    EXPECT_EQ(result["refreshCount"], 8) << "two full refreshes of four sources";
    EXPECT_EQ(result["browsersRunning"], (json{{"chrome", true}, {"safari", false}, {"firefox", false}}));
    EXPECT_EQ(result["automation"], (json{{"chrome", "allowed"}, {"safari", "denied"}, {"firefox", "denied"}}))
        << "a browser that is not running cannot be asked";
    EXPECT_FALSE(result.contains("contextKey")) << "no frontmost application";
    EXPECT_TRUE(result["enumerationMsCold"].is_number());
    EXPECT_TRUE(result["enumerationMsWarm"].is_number());
}

TEST_F(DumpTest, ScreensMarkOnlyTheOriginAsPrimaryAndReportMagnitudes) {
    const auto screens = dump(kDesktop)["screens"];
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[0]["isPrimary"], true);
    EXPECT_EQ(screens[1]["isPrimary"], false);
    EXPECT_EQ(screens[1]["frame"], (json{{"x", 1440.0}, {"y", 0.5}, {"w", 1920.0}, {"h", 1080.0}}));
}

TEST_F(DumpTest, TextHasSortedKeysPlainSlashesAndNoNulls) {
    testing::SimDesktopFixture sim(kDesktop);
    SnapshotStore store;
    UsageStore usage(std::nullopt, sim.clock, sim.dispatch, UsageContext::currentKey);
    const std::string text = dumpJSON(store, usage);
    EXPECT_NE(text.find("\"https://docs.example.com/a/b\""), std::string::npos);
    EXPECT_EQ(text.find("null"), std::string::npos);
    const char* order[] = {"accessibilityGranted", "automation", "axDirectCount", "browsersRunning",
                           "enumerationMsCold", "enumerationMsWarm", "onOtherSpaces", "provider", "refreshCount",
                           "screenRecordingGranted", "screens", "targetCount", "targets"};
    std::size_t previous = 0;
    for (const char* key : order) {
        const auto at = text.find("\n  \"" + std::string(key) + "\"");
        ASSERT_NE(at, std::string::npos) << key;
        EXPECT_GT(at, previous) << key;
        previous = at;
    }
}

TEST_F(DumpTest, ContextKeyNamesTheFrontmostWindowAndSinksIt) {
    auto desktop = kDesktop;
    desktop["frontmost"] = 501;
    const auto result = dump(desktop);
    EXPECT_EQ(result["contextKey"], "com.apple.Notes|Shopping");
    EXPECT_EQ(result["targets"].back()["title"], "Shopping") << "the current window ranks last";
}

TEST_F(DumpTest, TextThatIsNotUtf8IsReplacedNotDropped) {
    testing::SimDesktopFixture sim(kDesktop);
    sim.desktop().update([](sim::DesktopModel& model) {
        model.windows[0].title = "bad \xff byte";
        model.apps[0].name = "Gr\xfc" "ner";
    });
    SnapshotStore store;
    UsageStore usage(std::nullopt, sim.clock, sim.dispatch, UsageContext::currentKey);
    const auto dumped = json::parse(dumpJSON(store, usage));
    ASSERT_EQ(dumped["targetCount"], 4);
    const auto targets = dumped["targets"].dump();
    EXPECT_NE(targets.find("bad \uFFFD byte"), std::string::npos) << targets;
    EXPECT_NE(targets.find("Gr\uFFFDner"), std::string::npos) << targets;
}

struct WarningCase {
    bool accessibility;
    bool screenRecording;
    std::string expected;
};

class PermissionWarnings : public ::testing::TestWithParam<WarningCase> {};

TEST_P(PermissionWarnings, AreWrittenExactly) {
    testing::SimDesktopFixture sim(json{{"permissions", {{"accessibility", GetParam().accessibility},
                                                         {"screenRecording", GetParam().screenRecording}}}});
    std::ostringstream err;
    warnAboutMissingPermissions(err);
    EXPECT_EQ(err.str(), GetParam().expected);
}

const std::string kAccessibility =
    "⚠ Accessibility not granted — windows cannot be raised.\n"
    "  System Settings → Privacy & Security → Accessibility";
const std::string kScreenRecording =
    "⚠ Screen Recording not granted — window titles come back empty, so only\n"
    "  windows on the current Space are usable. Nothing is ever captured; the\n"
    "  permission is purely what gates kCGWindowName.\n"
    "  System Settings → Privacy & Security → Screen Recording";

INSTANTIATE_TEST_SUITE_P(
    Dump, PermissionWarnings,
    ::testing::Values(WarningCase{true, true, ""},
                      WarningCase{true, false, "\n" + kScreenRecording + "\n\n"},
                      WarningCase{false, true, "\n" + kAccessibility + "\n\n"},
                      WarningCase{false, false, "\n" + kAccessibility + "\n\n" + kScreenRecording + "\n\n"}));

}  // namespace
}  // namespace zerlith::Dump
