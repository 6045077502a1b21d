#include <algorithm>

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QQuickItem>

#include "offscreen_app.hpp"
#include "support/fake_browser_bridge.hpp"
#include "support/scoped_environment.hpp"
#include "support/sim_fixture.hpp"
#include "support/temp_folder.hpp"
#include "ui/settings_quick_window.hpp"

namespace zerlith::testing {
namespace {

using nlohmann::json;
using Texts = std::vector<std::string>;

/// The sections below the permissions or browsers, the same on every desktop.
const Texts kAfterTheBrowsers = {"SHORTCUTS", "Open switcher", "⌥Space", "Instant switch",
                                 "Jump to the most likely target with no palette.", "⌥Tab", "STARTUP",
                                 "Launch at login", "UPDATES", "Check for updates automatically",
                                 "Version 0.1.0", "Check Now"};

Texts operator+(Texts head, const Texts& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

/// A feed that never answers.
class SilentFeed final : public UpdateFeed {
public:
    void fetch(const std::string&, std::function<void(Result)>) override {}
};

/// What the simulated keyboard layout writes on the keys the tests record.
json withKeyNames(json desktop) {
    desktop["keyNames"] = {{"40", "K"}};
    return desktop;
}

json browserApp(int pid, const char* name, const char* bundleID) {
    return {{"pid", pid}, {"name", name}, {"bundleID", bundleID}};
}

/// The settings window over a simulated desktop, shown, as a person would see it.
class SettingsViewTest : public ::testing::Test {
protected:
    /// `globalKeys`: whether the desktop lets the switcher take its keys itself.
    explicit SettingsViewTest(json desktop = json::object(), std::string desktopNotice = {}, bool globalKeys = true)
        : sim(withKeyNames(std::move(desktop))), notice(std::move(desktopNotice)), takesKeys(globalKeys) {
        offscreenApplication();
        hotKeys.registerShortcut(HotKeyManager::Role::palette, {49, 2048}, [this](std::uint32_t, platform::KeyboardCapture) { ++presses; });
    }

    void open() {
        window.show();
        sim.dispatch.runUntilIdle();  // the browsers' rows, read in the background
        settle();
    }

    void settle() {
        QCoreApplication::processEvents();
        window.view().grabWindow();  // lays out and renders every item
    }

    void click(QQuickItem* target) {
        const auto centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
        for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, centre, centre, Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&window.view(), &event);
        }
        settle();
    }

    /// The item named `name`, searched in the visual tree, which Repeater's rows are only part of.
    QQuickItem* item(const char* name) {
        auto* found = find(window.view().rootObject(), name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static QQuickItem* find(QQuickItem* item, const char* name) {
        if (item->objectName() == name) return item;
        for (auto* child : item->childItems()) {
            if (auto* found = find(child, name)) return found;
        }
        return nullptr;
    }
    QString text(const char* name) { return item(name)->property("text").toString(); }

    /// Every visible text in the window, top to bottom as laid out in the tree.
    Texts visibleTexts() {
        Texts texts;
        collect(window.view().rootObject(), texts);
        return texts;
    }
    static void collect(QQuickItem* item, Texts& texts, bool withFont = false) {
        if (!item->isVisible()) return;
        if (item->inherits("QQuickText")) {
            auto text = item->property("text").toString().toStdString();
            if (withFont) text += " in " + QFontInfo(item->property("font").value<QFont>()).family().toStdString();
            texts.push_back(text);
        }
        for (auto* child : item->childItems()) collect(child, texts, withFont);
    }
    /// Every visible text with the font family it is drawn in: "Check Now in DejaVu Sans".
    Texts visibleFonts() {
        Texts texts;
        collect(window.view().rootObject(), texts, true);
        return texts;
    }

    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(&window.view(), &event);
        settle();
    }
    QString keyCap(const char* row) {
        return item(row)->findChild<QQuickItem*>("keyCap")->property("title").toString();
    }

    SimDesktopFixture sim;
    std::string notice;
    bool takesKeys;
    /// The user's home; its "bin" is the path browsers are looked for in.
    TempFolder home;
    MemoryLoginItem loginItem;
    SilentFeed feed;
    Updater updater{*sim.desktop().preferences(), sim.clock, sim.dispatch, feed, "0.1.0", ""};
    HotKeyManager hotKeys{*sim.desktop().hotKeys(), sim.dispatch};
    int presses = 0;
    SettingsModel model{{*sim.desktop().preferences(), sim.dispatch, loginItem, updater, takesKeys ? &hotKeys : nullptr,
                         [this](HotKeyManager::Role) { return [this](std::uint32_t, platform::KeyboardCapture) { ++presses; }; },
                         sim.desktop().hotKeys(), nullptr, (home.path() / "bin").string(), "/usr/bin/zerlith",
                         [this](bool keysTaken) { return keysTaken ? std::string() : notice; },
                         SystemExtensions{home.path() / "system/chromium", home.path() / "system/chromium.d/extensions",
                                          home.path() / "system/firefox"}}};
    ui::SettingsQuickWindow window{model, updater, takesKeys ? &hotKeys : nullptr, sim.desktop().hotKeys()};
};

TEST_F(SettingsViewTest, EverythingGrantedWithNoBrowserRunning) {
    open();
    EXPECT_EQ(window.view().title(), "Zerlith");
    EXPECT_EQ(window.view().size(), QSize(520, 640));
    EXPECT_TRUE(model.isPolling());
    EXPECT_EQ(visibleTexts(), Texts({
                                  "Zerlith",
                                  "Ready — press ⌥Space to switch.",
                                  "PERMISSIONS",
                                  "Accessibility",
                                  "Raise and move windows.",
                                  "Screen Recording",
                                  "Read window titles only — nothing is ever captured. Without it, no windows can be listed.",
                                  "Start Chrome or Safari to set up tab access.",
                              }) + kAfterTheBrowsers);
    // One family throughout, but for the key caps.
    const auto family = QFontInfo(QGuiApplication::font()).family().toStdString();
    for (const auto& text : visibleFonts()) {
        if (!text.starts_with("⌥")) {
            EXPECT_TRUE(text.ends_with(" in " + family)) << text;
        }
    }
}

TEST_F(SettingsViewTest, ClosingTheWindowStopsThePolling) {
    open();
    window.view().close();
    settle();
    EXPECT_FALSE(model.isPolling());
    window.show();
    settle();
    EXPECT_TRUE(model.isPolling());
}

class SettingsWithoutGlobalKeysTest : public SettingsViewTest {
protected:
    SettingsWithoutGlobalKeysTest() : SettingsViewTest(json::object(), "Bind the switcher yourself.", false) {}
};

TEST_F(SettingsWithoutGlobalKeysTest, TheDesktopsNoticeTakesThePlaceOfTheRecorders) {
    open();
    EXPECT_EQ(text("statusText"), "Ready — bind its keys as shown below.");
    const Texts texts = visibleTexts();
    const auto shortcuts = std::find(texts.begin(), texts.end(), "SHORTCUTS");
    ASSERT_NE(shortcuts, texts.end());
    EXPECT_EQ(Texts(std::next(shortcuts), std::next(shortcuts, 3)), Texts({"Bind the switcher yourself.", "STARTUP"}));
}

class SettingsOnSwayTest : public SettingsViewTest {
protected:
    SettingsOnSwayTest() : SettingsViewTest({{"shortcutsNeedConsent", true}}, "Bind the switcher yourself.") {}
};

TEST_F(SettingsOnSwayTest, DecliningTheBindingsPutsTheNoticeInPlaceOfTheRecorders) {
    open();
    auto* consent = item("keysConsentSwitch");
    EXPECT_EQ(consent->property("label").toString(), "Bind the shortcuts in sway");
    EXPECT_TRUE(consent->property("checked").toBool());
    EXPECT_TRUE(item("paletteShortcutRow")->isVisible());

    click(find(consent, "switchTrack"));
    EXPECT_FALSE(consent->property("checked").toBool());
    EXPECT_FALSE(item("paletteShortcutRow")->isVisible());
    EXPECT_EQ(text("desktopNotice"), "Bind the switcher yourself.");
    EXPECT_EQ(text("statusText"), "Ready — bind its keys as shown below.");

    click(find(consent, "switchTrack"));
    EXPECT_TRUE(item("instantShortcutRow")->isVisible());
    EXPECT_FALSE(item("desktopNotice")->isVisible());
}

class SettingsWithSafariPendingTest : public SettingsViewTest {
protected:
    SettingsWithSafariPendingTest()
        : SettingsViewTest({{"apps", {browserApp(701, "Safari", "com.apple.Safari")}},
                            {"permissions", {{"accessibility", false}, {"automation", {{"safari", "notDetermined"}}}}}}) {}
};

TEST_F(SettingsWithSafariPendingTest, AMissingPermissionAndAPendingBrowserOfferTheirButtons) {
    open();
    EXPECT_EQ(text("statusText"), "Grant the permissions below to finish setup.");
    auto* accessibility = item("accessibilityRow");
    EXPECT_TRUE(find(accessibility, "rowButton")->isVisible());
    EXPECT_FALSE(find(item("screenRecordingRow"), "rowButton")->isVisible());
    auto* safari = item("browserRow_safari");
    EXPECT_EQ(safari->property("title").toString(), "Automation — Safari");
    EXPECT_EQ(safari->property("actionTitle").toString(), "Request");
    EXPECT_FALSE(safari->property("granted").toBool());
    EXPECT_FALSE(item("noBrowsersText")->isVisible());
}

class SettingsWithChromeDeniedTest : public SettingsViewTest {
protected:
    SettingsWithChromeDeniedTest()
        : SettingsViewTest({{"apps", {browserApp(601, "Google Chrome", "com.google.Chrome"),
                                      browserApp(701, "Safari", "com.apple.Safari")}},
                            {"permissions", {{"automation", {{"chrome", "denied"}, {"safari", "allowed"}}}}}}) {}
};

TEST_F(SettingsWithChromeDeniedTest, ADeniedBrowserOpensTheSettingsAndAnAllowedOneShowsGranted) {
    open();
    auto* chrome = item("browserRow_chrome");
    EXPECT_EQ(chrome->property("title").toString(), "Automation — Google Chrome");
    EXPECT_EQ(chrome->property("actionTitle").toString(), "Open Settings");
    EXPECT_TRUE(find(chrome, "rowButton")->isVisible());
    EXPECT_LT(chrome->y(), item("browserRow_safari")->y());  // Chrome first
    EXPECT_TRUE(item("browserRow_safari")->property("granted").toBool());
    EXPECT_FALSE(find(item("browserRow_safari"), "rowButton")->isVisible());
    EXPECT_EQ(text("statusText"), "Grant the permissions below to finish setup.");
}

/// Tabs through the extension, as on X11: Chromium, Brave and Firefox installed, Firefox's
/// extension connected.
class SettingsWithBrowserTabsTest : public SettingsViewTest {
protected:
    SettingsWithBrowserTabsTest() {
        for (const char* browser : {"chromium", "brave-browser", "firefox-esr"}) {
            writeText(home.path() / "bin" / browser, "#!/bin/sh\n");
            std::filesystem::permissions(home.path() / "bin" / browser, std::filesystem::perms::owner_all);
        }
        bridged.bridge.connected = {{"firefox", 900, {}, "Firefox"}};
        environment.set("HOME", home.path().string());
        environment.set("XDG_CONFIG_HOME", (home.path() / "config").string());
    }

    BridgedPlatform bridged;
    zerlith::testing::ScopedEnvironment environment;
};

TEST_F(SettingsWithBrowserTabsTest, ARowPerInstalledBrowserAndNoSystemPermissions) {
    open();
    const auto chromiumSteps = "Extension not connected. Install the host and restart the browser, then in "
                               "chrome://extensions turn on Developer mode, choose “Load unpacked” and pick the "
                               "extension folder.";
    EXPECT_EQ(visibleTexts(), Texts({
                                  "Zerlith",
                                  "Ready — press ⌥Space to switch.",
                                  "BROWSER TABS",
                                  "Chromium",
                                  chromiumSteps,
                                  "Open Extension Folder",
                                  "Install Host",
                                  "Brave",
                                  chromiumSteps,
                                  "Open Extension Folder",
                                  "Install Host",
                                  "Firefox",
                                  "Extension connected: its tabs are listed.",
                              }) + kAfterTheBrowsers);
    auto* chromium = item("browserRow_chromium");
    auto* brave = item("browserRow_brave-browser");
    EXPECT_EQ(chromium->x(), brave->x());
    EXPECT_LT(chromium->y(), brave->y());
    EXPECT_TRUE(item("browserRow_firefox")->property("granted").toBool());

    click(find(chromium, "rowLink"));
    const auto log = sim.desktop().actionLog();
    ASSERT_FALSE(log.empty());
    EXPECT_TRUE(log.back().starts_with("openURL file:///")) << log.back();
    EXPECT_TRUE(log.back().ends_with("/browser-extension/chromium")) << log.back();
}

TEST_F(SettingsWithBrowserTabsTest, TheExtensionInstalledWithThePackageNeedsOnlyARestart) {
    for (const char* file : {"chromium/manifest.json", "chromium.d/extensions", "firefox/manifest.json"})
        writeText(home.path() / "system" / file, "{}");
    bridged.bridge.connected = {};
    open();
    EXPECT_EQ(find(item("browserRow_chromium"), "rowDetail")->property("text").toString(),
              "Extension installed with the package: Chromium loads it at start, so restart it.");
    EXPECT_EQ(find(item("browserRow_firefox"), "rowDetail")->property("text").toString(),
              "Extension installed with the package: Debian’s Firefox ESR loads it at start, so restart it. "
              "Firefox from Mozilla’s own builds: in about:debugging → This Firefox choose “Load Temporary Add-on…” "
              "and pick manifest.json in the extension folder.");
    EXPECT_TRUE(find(item("browserRow_brave-browser"), "rowDetail")->property("text").toString().contains("Load unpacked"))
        << "Brave never loads what the package installs";
}

TEST_F(SettingsWithBrowserTabsTest, InstallHostWritesTheManifestsIntoTheUsersProfiles) {
    std::filesystem::create_directories(home.path() / "config" / "chromium");
    std::filesystem::create_directories(home.path() / ".mozilla");
    open();
    click(find(item("browserRow_chromium"), "rowButton"));
    EXPECT_EQ(text("hostInstallation"), "Host installed. Restart the browser, then add the extension.");
    const auto chromium = json::parse(
        readText(home.path() / "config/chromium/NativeMessagingHosts/dev.zerlith.tabs.json"));
    EXPECT_EQ(chromium["path"], "/usr/bin/zerlith");
    const auto firefox = json::parse(readText(home.path() / ".mozilla/native-messaging-hosts/dev.zerlith.tabs.json"));
    EXPECT_EQ(firefox["allowed_extensions"], json::array({"tabs@zerlith.dev"}));
    EXPECT_FALSE(std::filesystem::exists(home.path() / "config/BraveSoftware")) << "Brave has never run";
}

TEST_F(SettingsViewTest, TheRecorderTakesAChordAndIgnoresABareKey) {
    open();
    window.bridge().toggleRecording("palette");
    settle();
    EXPECT_EQ(keyCap("paletteShortcutRow"), "Press keys…");
    EXPECT_TRUE(hotKeys.isSuspended());
    // The palette's own key reaches the recorder, not the palette.
    sim.desktop().pressHotKey({49, 2048});
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(presses, 0);

    press(Qt::Key_A);  // bare: swallowed, still recording
    press(Qt::Key_Alt, Qt::AltModifier);  // a modifier on its own: still recording
    EXPECT_EQ(keyCap("paletteShortcutRow"), "Press keys…");
    press(Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(keyCap("paletteShortcutRow"), "⌃⇧K");
    EXPECT_EQ(model.paletteShortcut(), (Shortcut{40, Shortcut::kControl | Shortcut::kShift}));
    EXPECT_FALSE(hotKeys.isSuspended());
    EXPECT_EQ(sim.desktop().preferences()->value("shortcut.palette"),
              (json{{"carbonModifiers", 0x1200}, {"keyCode", 40}}));
    sim.desktop().pressHotKey({40, 0x1200});
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(presses, 1);
}

TEST_F(SettingsViewTest, AClickOnAKeyCapStartsRecording) {
    open();
    click(find(item("paletteShortcutRow"), "keyCap"));
    EXPECT_EQ(window.bridge().recording(), "palette");
}

TEST_F(SettingsViewTest, RecordingTheCurrentKeyAgainWorks) {
    open();
    window.bridge().toggleRecording("palette");
    press(Qt::Key_Space, Qt::AltModifier);
    EXPECT_EQ(model.paletteShortcut(), (Shortcut{49, 2048}));
    EXPECT_EQ(keyCap("paletteShortcutRow"), "⌥Space");
    EXPECT_FALSE(model.shortcutError());
}

TEST_F(SettingsViewTest, EscapeEndsRecordingWithoutAChange) {
    open();
    window.bridge().toggleRecording("instant");
    settle();
    EXPECT_EQ(keyCap("instantShortcutRow"), "Press keys…");
    press(Qt::Key_Escape);
    EXPECT_EQ(keyCap("instantShortcutRow"), "⌥Tab");
    EXPECT_EQ(model.instantShortcut(), (Shortcut{48, 2048}));
    EXPECT_FALSE(sim.desktop().preferences()->value("shortcut.instant"));
    EXPECT_FALSE(hotKeys.isSuspended());
}

TEST_F(SettingsViewTest, HidingTheWindowEndsRecording) {
    open();
    window.bridge().toggleRecording("instant");
    window.view().hide();
    settle();
    EXPECT_EQ(window.bridge().recording(), "");
    EXPECT_FALSE(hotKeys.isSuspended());
    EXPECT_FALSE(model.isPolling());
}

class SettingsWithHeldKeyTest : public SettingsViewTest {
protected:
    SettingsWithHeldKeyTest() : SettingsViewTest({{"heldShortcuts", {{{"keyCode", 49}, {"carbonModifiers", 4096}}}}}) {}
};

TEST_F(SettingsWithHeldKeyTest, ATakenShortcutShowsTheErrorInRedAndKeepsTheOldKey) {
    open();
    EXPECT_FALSE(item("shortcutError")->isVisible());
    window.bridge().toggleRecording("palette");
    press(Qt::Key_Space, Qt::ControlModifier);
    EXPECT_TRUE(item("shortcutError")->isVisible());
    EXPECT_EQ(text("shortcutError"), "⌃Space is already used by another app.");
    EXPECT_EQ(keyCap("paletteShortcutRow"), "⌥Space");
    sim.desktop().pressHotKey({49, 2048});
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(presses, 1);
}

TEST_F(SettingsViewTest, TheSwitchesShowWhatTheSystemSays) {
    open();
    window.bridge().setLaunchAtLogin(true);
    settle();
    EXPECT_TRUE(item("launchAtLoginSwitch")->property("checked").toBool());
    window.bridge().setAutomaticUpdates(false);
    settle();
    EXPECT_FALSE(item("automaticUpdatesSwitch")->property("checked").toBool());
    EXPECT_FALSE(item("approveLoginItemButton")->isVisible());
}

TEST_F(SettingsViewTest, CheckNowSaysWhatItFound) {
    open();
    window.bridge().checkNow();
    window.bridge().updaterChanged();
    settle();
    EXPECT_EQ(text("updateStatus"), "No update feed is configured.");
    EXPECT_FALSE(item("openUpdateLinkButton")->isVisible());
}

}  // namespace
}  // namespace zerlith::testing
