#include "sources/browser_source.hpp"

#include <gtest/gtest.h>

#include "providers/macos_model/scripted_tabs.hpp"
#include "support/fake_browser_bridge.hpp"
#include "support/sim_fixture.hpp"
#include "support/forwarding_platform.hpp"
#include "system/permissions.hpp"

namespace zerlith::BrowserSource {
namespace {

using nlohmann::json;
using testing::ScriptRecordingPlatform;
using testing::SimDesktopFixture;

constexpr int kChrome = 601;
constexpr int kSafari = 602;

json browserWindow(int number, int pid, json tabs) {
    return {{"number", number},
            {"pid", pid},
            {"frame", {{"x", 0}, {"y", 0}, {"w", 1000}, {"h", 700}}},
            {"tabs", std::move(tabs)}};
}

json tab(const std::string& title, const std::string& url) { return {{"title", title}, {"url", url}}; }

/// Chrome with a visible and a hidden window, Safari with one window; `apps` replaces who runs.
json browsers(json permissions = json::object(), json apps = nullptr) {
    if (apps.is_null()) {
        apps = {{{"pid", kChrome}, {"name", "Google Chrome"}, {"bundleID", "com.google.Chrome"}},
                {{"pid", kSafari}, {"name", "Safari"}, {"bundleID", "com.apple.Safari"}}};
    }
    json chromeWindow = browserWindow(
        1, kChrome,
        {tab("Docs", "https://docs.example.com/a"), tab("", "https://github.com/o/r/pull/98765")});
    chromeWindow["scriptId"] = 12;
    json hiddenWindow = browserWindow(2, kChrome, {tab("Hidden", "https://hidden.example/")});
    hiddenWindow["scriptVisible"] = false;
    return {
        {"permissions", std::move(permissions)},
        {"apps", std::move(apps)},
        {"windows",
         {chromeWindow, hiddenWindow, browserWindow(3, kSafari, {tab("Mail", "https://mail.google.com/")})}}};
}

std::vector<std::string> ids(const std::vector<Target>& targets) {
    std::vector<std::string> result;
    for (const auto& target : targets) result.push_back(target.id);
    return result;
}

TEST(BrowserTabs, EachBrowserAnswersItsOwnScript) {
    SimDesktopFixture sim(browsers());
    const auto chrome = enumerate(BrowserKind::chrome);
    EXPECT_EQ(ids(chrome), (std::vector<std::string>{"tab:chrome:12:https://docs.example.com/a",
                                                     "tab:chrome:12:https://github.com/o/r/pull/98765"}));
    ASSERT_EQ(chrome.size(), 2u);
    EXPECT_EQ(chrome[1].title, "github.com") << "an empty title takes the host";
    EXPECT_EQ(chrome[1].tab->tabIndex, 2);
    EXPECT_EQ(chrome[1].category, Classifier::Category::pullRequest);

    const auto safari = enumerate(BrowserKind::safari);
    EXPECT_EQ(ids(safari), (std::vector<std::string>{"tab:safari:3:https://mail.google.com/"}));
    EXPECT_EQ(safari.at(0).subtitle, "mail.google.com \u00B7 Safari");
    EXPECT_EQ(runningApp(BrowserKind::safari)->pid, kSafari);
}

TEST(BrowserTabs, AutomationStatusDecidesTheScriptAndItsLimit) {
    struct Case {
        const char* name;
        json permissions;
        bool running;
        std::vector<double> limits;  ///< of the scripts run, in order
        std::size_t tabs;
    };
    const json chromeOnly = {{{"pid", kChrome}, {"bundleID", "com.google.Chrome"}}};
    const json nobody = json::array();
    const Case cases[] = {
        {"allowed", {{"automation", {{"chrome", "allowed"}}}}, true, {5.0}, 2},
        {"not asked, then allowed", {{"automation", {{"chrome", "notDetermined"}}}}, true, {120.0}, 2},
        {"not asked, then refused",
         {{"automation", {{"chrome", "notDetermined"}}}, {"consent", {{"chrome", "deny"}}}},
         true,
         {120.0},
         0},
        {"denied", {{"automation", {{"chrome", "denied"}}}}, true, {}, 0},
        {"not running", json::object(), false, {}, 0},
    };
    for (const auto& [name, permissions, running, limits, tabs] : cases) {
        SimDesktopFixture sim(browsers(permissions, running ? chromeOnly : nobody));
        ScriptRecordingPlatform recording;
        EXPECT_EQ(enumerate(BrowserKind::chrome).size(), tabs) << name;
        std::vector<double> seen;
        for (const auto& call : recording.scripts.calls) {
            seen.push_back(call.timeout);
            EXPECT_EQ(call.source, macos_model::listingScript(BrowserKind::chrome)) << name;
        }
        EXPECT_EQ(seen, limits) << name;
    }
}

TEST(BrowserTabs, FailingOrHangingScriptsGiveNoTabs) {
    const std::pair<const char*, double> cases[] = {{"fail", 0.0}, {"hang", 5.0}};
    for (const auto& [behaviour, waited] : cases) {
        json desktop = browsers();
        desktop["apps"][0]["script"] = behaviour;
        SimDesktopFixture sim(desktop);
        const auto before = sim.clock.monotonicNanos();
        EXPECT_TRUE(enumerate(BrowserKind::chrome).empty()) << behaviour;
        EXPECT_DOUBLE_EQ(static_cast<double>(sim.clock.monotonicNanos() - before) / 1e9, waited) << behaviour;
        EXPECT_EQ(enumerate(BrowserKind::safari).size(), 1u) << "the other browser is unaffected";
    }
}

TEST(BrowserConsent, PendingListsRunningBrowsersNotAllowed) {
    const json notAsked = {{"automation", {{"chrome", "notDetermined"}, {"safari", "denied"}}}};
    {
        SimDesktopFixture sim(browsers(notAsked));
        EXPECT_EQ(pendingConsent(), (std::vector<BrowserKind>{BrowserKind::chrome, BrowserKind::safari}));
    }
    {
        SimDesktopFixture sim(browsers(notAsked, {{{"pid", kSafari}, {"bundleID", "com.apple.Safari"}}}));
        EXPECT_EQ(pendingConsent(), (std::vector<BrowserKind>{BrowserKind::safari})) << "chrome does not run";
    }
    {
        SimDesktopFixture sim(browsers());
        EXPECT_TRUE(pendingConsent().empty());
    }
}

TEST(BrowserConsent, RequestAsksOnlyBrowsersThatCanStillBeAsked) {
    SimDesktopFixture sim(browsers({{"automation", {{"chrome", "notDetermined"}, {"safari", "denied"}}}}));
    ScriptRecordingPlatform recording;
    requestAutomationAccess();

    ASSERT_EQ(recording.scripts.calls.size(), 1u) << "denied Safari gets no script";
    EXPECT_EQ(recording.scripts.calls[0].timeout, 120.0);
    EXPECT_EQ(Permissions::tabConsent(BrowserKind::chrome), desktop::TabConsent::allowed);
    EXPECT_EQ(pendingConsent(), (std::vector<BrowserKind>{BrowserKind::safari}));

    recording.scripts.calls.clear();
    requestAutomationAccess();
    EXPECT_TRUE(recording.scripts.calls.empty()) << "an allowed browser is not asked again";
}

TEST(BrowserTabs, ThroughTheExtensionTabsAndConsentComeFromTheBridge) {
    constexpr Pid kChromium = 900;
    constexpr Pid kFirefox = 901;
    // Safari denied and Chrome never asked in the scripting world: the bridge decides alone.
    SimDesktopFixture sim(browsers({{"automation", {{"chrome", "notDetermined"}, {"safari", "denied"}}}},
                                   {{{"pid", kFirefox}, {"name", "Firefox ESR"}, {"bundleID", "firefox-esr"}}}));
    ScriptRecordingPlatform recording;
    testing::BridgedPlatform bridged;
    bridged.bridge.connected = {{"chrome",
                                 kChromium,
                                 {{12, 1, true, " Docs\n", "https://docs.example.com/a"},
                                  {12, 2, false, "", "https://github.com/o/r/pull/98765"},
                                  {12, 3, false, "", ""},
                                  {40, 1, true, "Docs", "https://docs.example.com/a"},
                                  {40, 2, false, "Docs", "https://docs.example.com/a"}},
                                 ""}};

    const auto chrome = enumerate(BrowserKind::chrome);
    EXPECT_EQ(ids(chrome), (std::vector<std::string>{"tab:chrome:12:https://docs.example.com/a",
                                                     "tab:chrome:12:https://github.com/o/r/pull/98765",
                                                     "tab:chrome:40:https://docs.example.com/a",
                                                     "tab:chrome:40:https://docs.example.com/a#1"}));
    ASSERT_EQ(chrome.size(), 4u);
    EXPECT_EQ(chrome[0].title, "Docs");
    EXPECT_EQ(chrome[1].title, "github.com");
    EXPECT_EQ(chrome[1].tab->tabIndex, 2);
    EXPECT_EQ(chrome[0].subtitle, "docs.example.com/a \u00B7 Google Chrome");
    EXPECT_TRUE(enumerate(BrowserKind::firefox).empty());
    EXPECT_TRUE(enumerate(BrowserKind::safari).empty());
    EXPECT_TRUE(recording.scripts.calls.empty()) << "no script where the extension answers";

    EXPECT_EQ(runningApp(BrowserKind::chrome)->pid, kChromium);
    EXPECT_EQ(runningApp(BrowserKind::firefox)->pid, kFirefox) << "running without the extension";
    EXPECT_FALSE(runningApp(BrowserKind::safari));
    using Status = desktop::TabConsent;
    EXPECT_EQ(Permissions::tabConsent(BrowserKind::chrome), Status::allowed);
    EXPECT_EQ(Permissions::tabConsent(BrowserKind::firefox), Status::notDetermined);
    EXPECT_EQ(Permissions::tabConsent(BrowserKind::safari), Status::notDetermined);
    EXPECT_EQ(pendingConsent(), (std::vector<BrowserKind>{BrowserKind::firefox}));
}

TEST(BrowserTabs, ATabIsNamedAfterItsOwnBrowser) {
    struct Case {
        const char* kind;
        const char* reported;  // the name its host reports
        const char* name;      // in the subtitle and as the application
    };
    const Case cases[] = {
        {"chrome", "Brave", "Brave"},
        {"chrome", "Microsoft Edge", "Microsoft Edge"},
        {"chrome", "Chromium", "Chromium"},
        {"firefox", "Firefox", "Firefox"},
        // Bad or missing names keep the family's.
        {"chrome", "", "Google Chrome"},
        {"chrome", "Firefox", "Google Chrome"},
        {"chrome", "Vivaldi", "Google Chrome"},
        {"firefox", "Brave", "Firefox"},
    };
    SimDesktopFixture sim(json::object());
    testing::BridgedPlatform bridged;
    for (const auto& [kind, reported, name] : cases) {
        bridged.bridge.connected = {{kind, 900, {{12, 1, true, "Docs", "https://docs.example.com/a"}}, reported}};
        const auto tabs = enumerate(*browserKindFromRaw(kind));
        ASSERT_EQ(tabs.size(), 1u) << kind << " " << reported;
        EXPECT_EQ(tabs[0].subtitle, "docs.example.com/a \u00B7 " + std::string(name)) << reported;
        EXPECT_EQ(tabs[0].appName, name) << reported;
        EXPECT_EQ(runningApp(*browserKindFromRaw(kind))->localizedName, name) << reported;
    }
}

}  // namespace
}  // namespace zerlith::BrowserSource
