#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "shell/app_delegate.hpp"
#include "shell_desktop.hpp"
#include "support/sim_fixture.hpp"
#include "system/usage_context.hpp"

namespace zerlith::testing {
namespace {

using nlohmann::json;
using Lines = std::vector<std::string>;

/// Records what the delegate asks of the windows, and the registrations of global keys, in one
/// list.
class RecordingShell final : public AppShell, public platform::HotKeys {
public:
    explicit RecordingShell(platform::HotKeys& keys) : keys_(keys) {}

    void setUpEditingShortcuts() override { calls.push_back("editing shortcuts"); }
    void setUpStatusItem() override { calls.push_back("status item"); }
    void setStatusTooltip(const std::string& text) override { calls.push_back("tooltip " + text); }
    void togglePalette(std::uint32_t pressTime, platform::KeyboardCapture) override {
        calls.push_back("toggle palette " + std::to_string(pressTime));
    }
    void showPalette() override { calls.push_back("show palette"); }
    void showSettings() override { calls.push_back("show settings"); }
    void showSettingsIfSetupIncomplete() override { calls.push_back("settings if incomplete"); }
    void startUpdater() override { calls.push_back("start updater"); }
    void checkForUpdates() override { calls.push_back("check for updates"); }

    void setPressHandler(PressHandler handler) override { keys_.setPressHandler(std::move(handler)); }
    bool registerKey(std::uint32_t id, std::uint32_t keyCode, std::uint32_t modifiers) override {
        const bool registered = keys_.registerKey(id, keyCode, modifiers);
        calls.push_back("register " + std::to_string(id) + (registered ? "" : " failed"));
        return registered;
    }
    void unregisterKey(std::uint32_t id) override { keys_.unregisterKey(id); }
    std::optional<std::string> layoutKeyName(std::uint32_t code) override { return keys_.layoutKeyName(code); }
    platform::KeyNotation notation() const override { return keys_.notation(); }
    bool needsConsent() const override { return keys_.needsConsent(); }

    Lines calls;

private:
    platform::HotKeys& keys_;
};

class AppDelegateTest : public ::testing::Test {
protected:
    explicit AppDelegateTest(json desktop = mailAndBrowsers(501)) : sim(std::move(desktop)) {}

    std::size_t count(const Lines& lines, const std::string& line) {
        return static_cast<std::size_t>(std::ranges::count(lines, line));
    }

    SimDesktopFixture sim;
    RecordingShell shell{*sim.desktop().hotKeys()};
    Lines enumerated;
    SnapshotStore store{recordingSources(enumerated)};
    UsageStore usage{std::nullopt, sim.clock, sim.dispatch, UsageContext::currentKey};
    ActivationLog log;
    std::ostringstream diagnostics;
    AppDelegate delegate{{store, usage, log, *sim.desktop().preferences(), sim.dispatch, &shell, nullptr, diagnostics},
                          shell};
};

TEST_F(AppDelegateTest, LaunchesInOrderAndWarmsTheCacheInTheBackground) {
    delegate.applicationDidFinishLaunching();
    EXPECT_EQ(shell.calls, (Lines{"editing shortcuts", "status item", "register 1", "register 2", "start updater",
                                  "settings if incomplete"}));
    EXPECT_TRUE(enumerated.empty());
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(enumerated, (Lines{"chrome", "safari", "firefox", "windows"}));
    EXPECT_EQ(count(sim.desktop().actionLog(), "promptForTrust"), 0u);
    EXPECT_EQ(diagnostics.str(), "");

    shell.calls.clear();
    sim.desktop().pressHotKey({49, Shortcut::kOption}, 1234);
    sim.dispatch.runUntilIdle();
    delegate.applicationShouldHandleReopen();
    delegate.openPalette();
    delegate.openSettings();
    delegate.checkForUpdates();
    EXPECT_EQ(shell.calls, (Lines{"toggle palette 1234", "show settings", "show palette", "show settings",
                                  "check for updates"}));
}

class UntrustedDesktopTest : public AppDelegateTest {
protected:
    UntrustedDesktopTest() : AppDelegateTest([] {
        auto desktop = mailAndBrowsers(501);
        desktop["permissions"] = {{"accessibility", false}};
        desktop["heldShortcuts"] = {{{"keyCode", 49}, {"carbonModifiers", 2048}}};
        desktop["preferences"] = {{"shortcut.instant", {{"keyCode", 17}, {"carbonModifiers", 4096}}}};
        desktop["keyNames"] = {{"17", "T"}};
        return desktop;
    }()) {}
};

TEST_F(UntrustedDesktopTest, PromptsOnceAndReportsATakenPaletteShortcutWhileTheInstantOneWorks) {
    delegate.applicationDidFinishLaunching();
    const std::string sentence = "⌥Space is taken by another app — pick a different one in Settings.";
    EXPECT_EQ(shell.calls, (Lines{"editing shortcuts", "status item", "register 1 failed", "register 2",
                                  "tooltip " + sentence, "start updater", "settings if incomplete"}));
    EXPECT_EQ(diagnostics.str(), "zerlith: " + sentence + "\n");
    EXPECT_EQ(count(sim.desktop().actionLog(), "promptForTrust"), 1u);

    // The stored instant shortcut (Ctrl+T) works; the default one was not taken.
    sim.dispatch.runUntilIdle();
    const auto before = sim.desktop().actionLog().size();
    sim.desktop().pressHotKey({48, Shortcut::kOption});
    sim.desktop().pressHotKey({49, Shortcut::kOption});
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(sim.desktop().actionLog().size(), before);
    EXPECT_EQ(count(shell.calls, "toggle palette 0"), 0u);
}

class DeclinedBindingsTest : public AppDelegateTest {
protected:
    DeclinedBindingsTest() : AppDelegateTest([] {
        auto desktop = mailAndBrowsers(501);
        desktop["shortcutsNeedConsent"] = true;
        desktop["preferences"] = {{"shortcut.bindInCompositor", false}};
        return desktop;
    }()) {}
};

TEST_F(DeclinedBindingsTest, TakesNoKeysWhereTheUserDeclinedTheCompositorsBindings) {
    delegate.applicationDidFinishLaunching();
    EXPECT_EQ(shell.calls, (Lines{"editing shortcuts", "status item", "start updater", "settings if incomplete"}));
    EXPECT_EQ(diagnostics.str(), "");
}

class PendingBrowserTest : public AppDelegateTest {
protected:
    PendingBrowserTest() : AppDelegateTest([] {
        auto desktop = mailAndBrowsers(501);
        desktop["permissions"] = {{"automation", {{"chrome", "notDetermined"}}}};
        return desktop;
    }()) {}
};

TEST_F(PendingBrowserTest, AsksForBrowserAccessOncePerRun) {
    delegate.applicationDidBecomeActive();
    delegate.applicationDidBecomeActive();
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(count(sim.desktop().actionLog(), "consent chrome allow"), 1u);
    EXPECT_EQ(enumerated, (Lines{"chrome", "safari", "firefox", "windows"}));

    sim.desktop().update([](sim::DesktopModel& model) {
        model.permissions.automation.safari = sim::Automation::notDetermined;
    });
    delegate.applicationDidBecomeActive();
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(count(sim.desktop().actionLog(), "consent safari allow"), 0u);
}

TEST_F(AppDelegateTest, AsksForBrowserAccessOnlyOnceABrowserIsPending) {
    delegate.applicationDidBecomeActive();
    sim.dispatch.runUntilIdle();
    EXPECT_TRUE(enumerated.empty());

    sim.desktop().update([](sim::DesktopModel& model) {
        model.permissions.automation.safari = sim::Automation::notDetermined;
    });
    delegate.applicationDidBecomeActive();
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(count(sim.desktop().actionLog(), "consent safari allow"), 1u);
}

}  // namespace
}  // namespace zerlith::testing
