#include <gtest/gtest.h>

#include <algorithm>

#include "providers/macos_model/scripted_tabs.hpp"
#include "settings/settings_model.hpp"
#include "support/sim_fixture.hpp"

namespace zerlith::testing {
namespace {

using nlohmann::json;
using Role = HotKeyManager::Role;
using Status = desktop::TabConsent;

/// A feed that never answers: the model only reads the updater's switch.
class SilentFeed final : public UpdateFeed {
public:
    void fetch(const std::string&, std::function<void(Result)>) override {}
};

json appNamed(int pid, const char* name, const char* bundleID) {
    return {{"pid", pid}, {"name", name}, {"bundleID", bundleID}};
}

class SettingsModelTest : public ::testing::Test {
protected:
    explicit SettingsModelTest(json desktop = json::object()) : sim(desktop) {}

    SettingsModel& model() {
        if (!model_) {
            model_.emplace(SettingsModel::Services{
                *sim.desktop().preferences(), sim.dispatch, loginItem, updater, &hotKeys,
                [this](Role role) {
                    return [this, role](std::uint32_t, platform::KeyboardCapture) { presses.push_back(role); };
                },
                sim.desktop().hotKeys()});
            model_->onChange([this] { ++changes; });
        }
        return *model_;
    }

    SimDesktopFixture sim;
    MemoryLoginItem loginItem;
    SilentFeed feed;
    Updater updater{*sim.desktop().preferences(), sim.clock, sim.dispatch, feed, "0.1.0", ""};
    HotKeyManager hotKeys{*sim.desktop().hotKeys(), sim.dispatch};
    std::vector<Role> presses;
    int changes = 0;

private:
    std::optional<SettingsModel> model_;
};

TEST_F(SettingsModelTest, StartsWithTheDefaultsBeforeTheFirstRefresh) {
    auto& settings = model();
    EXPECT_EQ(settings.paletteShortcut(), (Shortcut{49, 2048}));
    EXPECT_EQ(settings.instantShortcut(), (Shortcut{48, 2048}));
    EXPECT_FALSE(settings.windowControlGranted());
    EXPECT_FALSE(settings.windowTitlesGranted());
    EXPECT_TRUE(settings.automation().empty());
    EXPECT_FALSE(settings.launchAtLogin());
    EXPECT_FALSE(settings.shortcutError());
    EXPECT_TRUE(settings.automaticUpdates());
    EXPECT_FALSE(settings.isPolling());
}

TEST_F(SettingsModelTest, WithoutBrowsersTheTwoPermissionsAreEverything) {
    model().refresh();
    EXPECT_TRUE(model().windowControlGranted());
    EXPECT_TRUE(model().windowTitlesGranted());
    EXPECT_TRUE(model().automation().empty());
    EXPECT_TRUE(model().allPermissionsGranted());
}

class SettingsWithSafariTest : public SettingsModelTest {
protected:
    SettingsWithSafariTest()
        : SettingsModelTest({{"apps", {appNamed(701, "Safari", "com.apple.Safari")}},
                             {"permissions", {{"automation", {{"safari", "notDetermined"}}}}}}) {}
};

TEST_F(SettingsWithSafariTest, APendingBrowserLeavesSetupIncomplete) {
    model().refresh();
    EXPECT_TRUE(model().automation().empty()) << "the browsers are not asked on the main thread";
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(model().automation(), (std::map<BrowserKind, Status>{{BrowserKind::safari, Status::notDetermined}}));
    EXPECT_FALSE(model().allPermissionsGranted());
}

TEST_F(SettingsWithSafariTest, RequestingAccessAsksTheBrowserInTheBackgroundThenRefreshes) {
    model().refresh();
    sim.dispatch.runUntilIdle();
    model().browserAction(BrowserKind::safari);
    EXPECT_EQ(model().automation().at(BrowserKind::safari), Status::notDetermined);  // not on this thread
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(model().automation().at(BrowserKind::safari), Status::allowed);
    EXPECT_TRUE(model().allPermissionsGranted());
}

class SettingsWithSafariDeniedTest : public SettingsModelTest {
protected:
    SettingsWithSafariDeniedTest()
        : SettingsModelTest({{"apps", {appNamed(701, "Safari", "com.apple.Safari")}},
                             {"permissions", {{"automation", {{"safari", "denied"}}}}}}) {}
};

TEST_F(SettingsWithSafariDeniedTest, ADeniedBrowserOpensTheAutomationSettings) {
    model().refresh();
    sim.dispatch.runUntilIdle();
    model().browserAction(BrowserKind::safari);
    sim.dispatch.runUntilIdle();
    const auto log = sim.desktop().actionLog();
    EXPECT_NE(std::find(log.begin(), log.end(), "openURL " + std::string(macos_model::kAutomationSettingsURL)),
              log.end());
    EXPECT_EQ(model().automation().at(BrowserKind::safari), Status::denied);
}

TEST_F(SettingsModelTest, ReadsTheStoredShortcuts) {
    sim.desktop().preferences()->setValue("shortcut.palette", {{"keyCode", 36u}, {"carbonModifiers", 4096u}});
    sim.desktop().preferences()->setValue("shortcut.instant", "broken");
    EXPECT_EQ(model().paletteShortcut(), (Shortcut{36, 4096}));
    EXPECT_EQ(model().instantShortcut(), (Shortcut{48, 2048}));
}

TEST_F(SettingsModelTest, AFreeShortcutIsRegisteredStoredAndPublished) {
    hotKeys.registerShortcut(Role::palette, {49, 2048}, [](std::uint32_t, platform::KeyboardCapture) {});
    model().apply({49, 4096}, Role::palette);
    EXPECT_FALSE(model().shortcutError());
    EXPECT_EQ(model().paletteShortcut(), (Shortcut{49, 4096}));
    EXPECT_EQ(sim.desktop().preferences()->value("shortcut.palette"),
              (json{{"carbonModifiers", 4096}, {"keyCode", 49}}));
    EXPECT_EQ(changes, 1);

    sim.desktop().pressHotKey({49, 4096});
    sim.desktop().pressHotKey({49, 2048});  // the old one is given back
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(presses, (std::vector<Role>{Role::palette}));
}

class SettingsWithHeldKeyTest : public SettingsModelTest {
protected:
    SettingsWithHeldKeyTest()
        : SettingsModelTest({{"heldShortcuts", {{{"keyCode", 49}, {"carbonModifiers", 256}}}}}) {}
};

TEST_F(SettingsWithHeldKeyTest, ATakenShortcutSaysSoAndKeepsTheStoredOne) {
    sim.desktop().preferences()->setValue("shortcut.instant", {{"keyCode", 1u}, {"carbonModifiers", 4096u}});
    model().apply({49, 256}, Role::instant);
    EXPECT_EQ(model().shortcutError(), "⌘Space is already used by another app.");
    EXPECT_EQ(model().instantShortcut(), (Shortcut{1, 4096}));
    EXPECT_EQ(sim.desktop().preferences()->value("shortcut.instant"),
              (json{{"keyCode", 1}, {"carbonModifiers", 4096}}));

    // The stored shortcut works again, and the next good change clears the message.
    sim.desktop().pressHotKey({1, 4096});
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(presses, (std::vector<Role>{Role::instant}));
    model().apply({2, 4096}, Role::instant);
    EXPECT_FALSE(model().shortcutError());
}

class SettingsOnSwayTest : public SettingsModelTest {
protected:
    SettingsOnSwayTest()
        : SettingsModelTest({{"shortcutsNeedConsent", true},
                             {"heldShortcuts", {{{"keyCode", 48}, {"carbonModifiers", 2048}}}}}) {}

    /// Which roles answer their default keys now.
    std::vector<Role> pressBoth() {
        presses.clear();
        sim.desktop().pressHotKey({49, 2048});
        sim.desktop().pressHotKey({48, 2048});
        sim.dispatch.runUntilIdle();
        return presses;
    }
};

TEST_F(SettingsOnSwayTest, DecliningTheBindingsGivesTheKeysBackAndConsentingTakesThemAgain) {
    hotKeys.registerShortcut(Role::palette, {49, 2048}, [](std::uint32_t, platform::KeyboardCapture) {});
    EXPECT_TRUE(model().keysNeedConsent());
    EXPECT_TRUE(model().keysConsented());
    EXPECT_TRUE(model().takesGlobalKeys());

    model().setKeysConsented(false);
    EXPECT_FALSE(model().takesGlobalKeys());
    EXPECT_EQ(sim.desktop().preferences()->value("shortcut.bindInCompositor"), json(false));
    EXPECT_EQ(pressBoth(), std::vector<Role>{});
    EXPECT_EQ(changes, 1);

    // The instant key is bound in the configuration already: the palette's works, and the
    // message says which one did not.
    model().setKeysConsented(true);
    EXPECT_TRUE(model().takesGlobalKeys());
    EXPECT_EQ(sim.desktop().preferences()->value("shortcut.bindInCompositor"), json(true));
    EXPECT_EQ(pressBoth(), std::vector<Role>{Role::palette});
    EXPECT_EQ(model().shortcutError(), "⌥Tab is already used by another app.");

    model().setKeysConsented(false);
    EXPECT_FALSE(model().shortcutError());
}

TEST_F(SettingsModelTest, PollsOnceASecondWithOneTimerUntilStopped) {
    model().startPolling();
    model().startPolling();
    EXPECT_EQ(changes, 2);  // each start refreshes at once
    sim.dispatch.runMainFor(1.0);
    EXPECT_EQ(changes, 3);
    sim.dispatch.runMainFor(3.0);
    EXPECT_EQ(changes, 6);
    model().stopPolling();
    EXPECT_FALSE(model().isPolling());
    sim.dispatch.runMainFor(5.0);
    EXPECT_EQ(changes, 6);
}

TEST_F(SettingsModelTest, PollingSeesAPermissionGoing) {
    model().startPolling();
    sim.desktop().update([](sim::DesktopModel& desktop) { desktop.permissions.accessibility = false; });
    sim.dispatch.runMainFor(1.0);
    EXPECT_FALSE(model().windowControlGranted());
    EXPECT_FALSE(model().allPermissionsGranted());
}

TEST_F(SettingsModelTest, LaunchAtLoginShowsWhatTheLoginItemSays) {
    model().setLaunchAtLogin(true);
    EXPECT_TRUE(model().launchAtLogin());
    EXPECT_TRUE(loginItem.enabled());
    model().setLaunchAtLogin(false);
    EXPECT_FALSE(model().launchAtLogin());
}

TEST_F(SettingsModelTest, ALoginItemThatRefusesSaysWhy) {
    struct RefusingLoginItem final : LoginItem {
        bool enabled() override { return false; }
        bool setEnabled(bool) override { return false; }
        std::string failure() const override { return reason; }
        std::string reason = "the path has a control character";
    } refusing;
    SettingsModel settings(SettingsModel::Services{*sim.desktop().preferences(), sim.dispatch, refusing, updater,
                                                   &hotKeys, nullptr, sim.desktop().hotKeys()});
    settings.setLaunchAtLogin(true);
    EXPECT_FALSE(settings.launchAtLogin());
    EXPECT_EQ(settings.loginItemError(), "the path has a control character");
    refusing.reason.clear();
    settings.setLaunchAtLogin(true);
    EXPECT_EQ(settings.loginItemError(), "Zerlith could not change whether it starts at login.");
    model().setLaunchAtLogin(true);
    EXPECT_FALSE(model().loginItemError());
}

TEST_F(SettingsModelTest, AutomaticUpdatesAreAPreference) {
    model().setAutomaticUpdates(false);
    EXPECT_FALSE(model().automaticUpdates());
    EXPECT_EQ(sim.desktop().preferences()->value("updates.automatic"), json(false));
    model().refresh();
    EXPECT_FALSE(model().automaticUpdates());
}

TEST_F(SettingsModelTest, TheSetupWindowOpensAtTheFirstLaunchOnly) {
    EXPECT_TRUE(claimSetupWindow(model(), *sim.desktop().preferences()));
    EXPECT_EQ(sim.desktop().preferences()->value("setup.shown"), json(true));
    EXPECT_FALSE(claimSetupWindow(model(), *sim.desktop().preferences()));
}

TEST_F(SettingsModelTest, TheSetupWindowOpensWhileAPermissionIsMissing) {
    sim.desktop().update([](sim::DesktopModel& desktop) { desktop.permissions.screenRecording = false; });
    EXPECT_TRUE(claimSetupWindow(model(), *sim.desktop().preferences()));
    EXPECT_TRUE(claimSetupWindow(model(), *sim.desktop().preferences()));
}

}  // namespace
}  // namespace zerlith::testing
