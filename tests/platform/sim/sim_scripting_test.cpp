#include <gtest/gtest.h>

#include <utility>

#include "ax_helpers.hpp"
#include "platform/sim/sim_scripting.hpp"
#include "providers/macos_model/scripted_tabs.hpp"
#include "support/sim_fixture.hpp"

namespace zerlith::testing {
namespace {

using nlohmann::json;
namespace ax = platform::ax;

// The macOS model's own scripts: the simulated desktop must answer exactly what it sends.
const std::string kChromeListing = macos_model::listingScript(BrowserKind::chrome);
const std::string kSafariListing = macos_model::listingScript(BrowserKind::safari);

/// The selection scripts written out, so that ill-formed ids can be tried too.
std::string chromeSelect(const std::string& window, const std::string& tab) {
    return "tell application \"Google Chrome\"\n    set targetWindow to first window whose id is " + window +
           "\n    set active tab index of targetWindow to " + tab + "\nend tell";
}

std::string safariSelect(const std::string& window, const std::string& tab) {
    return "tell application \"Safari\"\n    set targetWindow to first window whose id is " + window +
           "\n    set current tab of targetWindow to tab " + tab + " of targetWindow\nend tell";
}

const std::string kChromeURL =
    "tell application \"Google Chrome\" to return URL of active tab of front window";
const std::string kChromeTitle =
    "tell application \"Google Chrome\" to return title of active tab of front window";
const std::string kSafariURL = "tell application \"Safari\" to return URL of current tab of front window";
const std::string kSafariTitle = "tell application \"Safari\" to return name of current tab of front window";

json tab(const char* title, const char* url) { return {{"title", title}, {"url", url}}; }

json desktop() {
    const json frame = {{"x", 0}, {"y", 30}, {"w", 1200}, {"h", 800}};
    return {
        {"apps",
         {{{"pid", 600}, {"name", "Google Chrome"}, {"bundleID", "com.google.Chrome"}},
          {{"pid", 700}, {"name", "Safari"}, {"bundleID", "com.apple.Safari"}},
          {{"pid", 501}, {"name", "Notes"}}}},
        {"windows",
         {{{"number", 40},
           {"pid", 600},
           {"frame", frame},
           {"scriptId", 4012},
           {"activeTab", 2},
           {"tabs", {tab("Inbox", "https://mail.google.com/"), tab("a|b\x1F\"c\"", "https://x.test/?q=1")}}},
          {{"number", 41}, {"pid", 501}, {"title", "Groceries"}, {"frame", frame}},
          {{"number", 42}, {"pid", 600}, {"title", "Chrome panel"}, {"frame", frame}},
          {{"number", 43},
           {"pid", 600},
           {"frame", frame},
           {"scriptVisible", false},
           {"tabs", {tab("Hidden", "https://hidden.test/")}}},
          {{"number", 50},
           {"pid", 700},
           {"frame", frame},
           {"scriptId", 9},
           {"tabs", {tab("Apple", "https://developer.apple.com/"), tab("Swift", "https://swift.org/")}}}}}};
}

class SimScripting : public ::testing::Test {
protected:
    std::optional<std::string> run(const std::string& source, double timeout = 5.0) {
        return scripting.runInProcess(source, timeout);
    }

    void setAutomation(sim::Browser browser, sim::Automation automation, sim::Consent consent) {
        sim.desktop().update([=](sim::DesktopModel& model) {
            model.permissions.automation[browser] = automation;
            model.permissions.consent[browser] = consent;
        });
    }

    SimDesktopFixture sim{desktop()};
    platform::Scripting& scripting = sim.desktop().scripting();
};

TEST_F(SimScripting, TabListingsAnswerOneRecordPerTabFrontToBack) {
    EXPECT_FALSE(scripting.interpreterPath());
    EXPECT_EQ(run(kChromeListing),
              "4012\x1Ftrue\x1F"
              "2\x1F"
              "1\x1FInbox\x1Fhttps://mail.google.com/\x1E"
              "4012\x1Ftrue\x1F"
              "2\x1F"
              "2\x1F"
              "a|b\x1F\"c\"\x1Fhttps://x.test/?q=1\x1E"
              "43\x1F"
              "false\x1F"
              "1\x1F"
              "1\x1FHidden\x1Fhttps://hidden.test/\x1E\n");
    EXPECT_EQ(run(kSafariListing),
              "9\x1Ftrue\x1F"
              "1\x1F"
              "1\x1F"
              "Apple\x1Fhttps://developer.apple.com/\x1E"
              "9\x1Ftrue\x1F"
              "1\x1F"
              "2\x1FSwift\x1Fhttps://swift.org/\x1E\n");
}

TEST_F(SimScripting, ABrowserWithoutWindowsListsNothingButTheLineFeed) {
    sim.desktop().update(
        [](sim::DesktopModel& model) { std::erase_if(model.windows, [](auto& w) { return w.pid == 700; }); });
    EXPECT_EQ(run(kSafariListing), "\n");
    EXPECT_FALSE(run(kSafariURL)) << "no front window";
}

TEST_F(SimScripting, OnlyTheExactTextsAreUnderstood) {
    for (const std::string& source :
         {kChromeListing + "\n", kChromeListing.substr(1), kSafariListing + " ", std::string("return 1"),
          std::string("tell application \"Google Chrome\" to quit"), kChromeURL + "\n",
          chromeSelect("4012", "+1"), chromeSelect("04012", "1"), chromeSelect("4012", ""),
          chromeSelect("40 12", "1"), safariSelect("9", "1").replace(0, 4, "TELL")})
        EXPECT_FALSE(run(source)) << source;
    EXPECT_TRUE(sim.desktop().actionLog().empty());
}

TEST_F(SimScripting, SelectingATabChangesTheWindowsTitleEverywhere) {
    EXPECT_EQ(run(chromeSelect("4012", "1")), "");
    const auto state = sim.desktop().state();
    EXPECT_EQ(state.windows[0].activeTab, 1);
    EXPECT_EQ(state.windows[0].title, "Inbox");
    EXPECT_EQ(state.windows[0].axTitle, "Inbox");
    auto& ax = sim.desktop().accessibility();
    EXPECT_EQ(titles(ax, menuItems(ax, 600, "Window"))[0], "Inbox");
    EXPECT_EQ(run(kChromeTitle), "Inbox\n");
    EXPECT_EQ(run(kChromeURL), "https://mail.google.com/\n");

    EXPECT_EQ(run(safariSelect("9", "2")), "");
    EXPECT_EQ(run(kSafariTitle), "Swift\n");
    EXPECT_EQ(run(kSafariURL), "https://swift.org/\n");
    EXPECT_EQ(sim.desktop().actionLog(), (std::vector<std::string>{"script chrome select window 4012 tab 1",
                                                                   "script safari select window 9 tab 2"}));
}

TEST_F(SimScripting, AGivenTitleStaysWhenTheTabChanges) {
    sim.desktop().update([](sim::DesktopModel& model) {
        model.windows[0].title = "Pinned";
        model.windows[0].axTitle = "Pinned";
        model.windows[0].titleFollowsActiveTab = model.windows[0].axTitleFollowsTitle = false;
    });
    run(chromeSelect("4012", "1"));
    EXPECT_EQ(sim.desktop().state().windows[0].title, "Pinned");
}

TEST_F(SimScripting, SelectingAWindowOrTabThatDoesNotExistFails) {
    EXPECT_FALSE(run(chromeSelect("4012", "3")));
    EXPECT_FALSE(run(chromeSelect("4012", "0")));
    EXPECT_FALSE(run(chromeSelect("40", "1"))) << "the window number is not its scripting id";
    EXPECT_FALSE(run(safariSelect("4012", "1"))) << "another browser's window";
    EXPECT_FALSE(run(chromeSelect("-1", "1")));
    EXPECT_EQ(sim.desktop().state().windows[0].activeTab, 2);
}

TEST_F(SimScripting, AutomationStatusFollowsPermissionsOfRunningBrowsers) {
    EXPECT_EQ(scripting.automationStatus("com.google.Chrome"), platform::kAutomationAllowed);
    setAutomation(sim::Browser::safari, sim::Automation::notDetermined, sim::Consent::allow);
    EXPECT_EQ(scripting.automationStatus("com.apple.Safari"), platform::kAutomationNotDetermined);
    setAutomation(sim::Browser::safari, sim::Automation::denied, sim::Consent::allow);
    EXPECT_EQ(scripting.automationStatus("com.apple.Safari"), sim::SimScripting::kAutomationDenied);
    EXPECT_FALSE(run(kSafariListing));
    EXPECT_EQ(scripting.automationStatus("com.apple.Notes"), sim::SimScripting::kNotRunning);

    sim.desktop().update([](sim::DesktopModel& model) { model.apps.erase(model.apps.begin()); });
    const int status = scripting.automationStatus("com.google.Chrome");
    EXPECT_NE(status, platform::kAutomationAllowed);
    EXPECT_NE(status, platform::kAutomationNotDetermined);
    EXPECT_FALSE(run(kChromeListing)) << "a browser that does not run is never started";
}

TEST_F(SimScripting, TheFirstScriptAsksForConsentAndTheAnswerStays) {
    setAutomation(sim::Browser::chrome, sim::Automation::notDetermined, sim::Consent::allow);
    setAutomation(sim::Browser::safari, sim::Automation::notDetermined, sim::Consent::deny);
    EXPECT_TRUE(run(kChromeListing));
    EXPECT_FALSE(run(kSafariListing));
    EXPECT_EQ(scripting.automationStatus("com.google.Chrome"), platform::kAutomationAllowed);
    EXPECT_EQ(scripting.automationStatus("com.apple.Safari"), sim::SimScripting::kAutomationDenied);
    EXPECT_TRUE(run(kChromeURL));
    EXPECT_FALSE(run(kSafariURL));
    EXPECT_EQ(sim.desktop().actionLog(),
              (std::vector<std::string>{"consent chrome allow", "consent safari deny"}));
}

TEST_F(SimScripting, FailingAndHangingBrowsersAnswerNothing) {
    sim.desktop().update([](sim::DesktopModel& model) {
        model.apps[0].script = sim::ScriptBehaviour::fail;
        model.apps[1].script = sim::ScriptBehaviour::hang;
    });
    const double start = sim.clock.now();
    EXPECT_FALSE(run(kChromeListing));
    EXPECT_DOUBLE_EQ(sim.clock.now(), start);
    EXPECT_FALSE(run(safariSelect("9", "2"), 3.0));
    EXPECT_DOUBLE_EQ(sim.clock.now() - start, 3.0) << "a hang lasts the script's time limit";
    EXPECT_EQ(sim.desktop().state().windows[4].activeTab, 1);
}

TEST(SimDesktopClock, AFixedNowPinsTheWallClockOnly) {
    SimDesktopFixture sim(json{{"now", 1'650'000'000.5}});
    auto& clock = sim.desktop().clock();
    EXPECT_EQ(clock.now(), 1'650'000'000.5);
    const auto before = clock.monotonicNanos();
    clock.sleep(2.0);
    EXPECT_EQ(clock.now(), 1'650'000'000.5);
    EXPECT_EQ(clock.monotonicNanos() - before, 2'000'000'000u);
    EXPECT_EQ(&sim.desktop().dispatch(), &sim.dispatch);

    SimDesktopFixture unpinned(json::object(), 1234.0);
    EXPECT_EQ(&unpinned.desktop().clock(), &unpinned.clock);
}

}  // namespace
}  // namespace zerlith::testing
