#include "settings/settings_model.hpp"

#include <sstream>

#include "browser/host_manifests.hpp"
#include "platform/platform.hpp"
#include "shell/shortcut_preferences.hpp"
#include "sources/browser_source.hpp"

namespace zerlith {
namespace {

constexpr std::string_view kSetupShownKey = "setup.shown";

std::string_view storageKey(HotKeyManager::Role role) {
    return role == HotKeyManager::Role::palette ? ShortcutPreferences::kPaletteKey : ShortcutPreferences::kInstantKey;
}

Shortcut defaultShortcut(HotKeyManager::Role role) {
    return role == HotKeyManager::Role::palette ? ShortcutPreferences::kPaletteDefault
                                                : ShortcutPreferences::kInstantDefault;
}

}  // namespace

SettingsModel::SettingsModel(Services services)
    : services_(std::move(services)),
      paletteShortcut_(ShortcutPreferences::loadOr(services_.preferences, ShortcutPreferences::kPaletteKey,
                                                   ShortcutPreferences::kPaletteDefault)),
      instantShortcut_(ShortcutPreferences::loadOr(services_.preferences, ShortcutPreferences::kInstantKey,
                                                   ShortcutPreferences::kInstantDefault)),
      keysConsented_(services_.keys == nullptr ||
                     ShortcutPreferences::mayTakeKeys(services_.preferences, *services_.keys)) {}

std::string SettingsModel::desktopNotice() const {
    return services_.desktopNotice ? services_.desktopNotice(takesGlobalKeys()) : std::string();
}

bool SettingsModel::keysNeedConsent() const {
    return services_.hotKeys != nullptr && services_.keys != nullptr && services_.keys->needsConsent();
}


bool SettingsModel::allPermissionsGranted() const {
    if (!windowControl_ || !windowTitles_) return false;
    for (const auto& [browser, status] : automation_) {
        if (status != desktop::TabConsent::allowed) return false;
    }
    return true;
}

void SettingsModel::refresh() {
    windowControl_ = Permissions::granted(desktop::Grant::controlWindows);
    windowTitles_ = Permissions::granted(desktop::Grant::readWindowTitles);
    launchAtLogin_ = services_.loginItem.enabled();
    automaticUpdates_ = services_.updater.automaticallyChecksForUpdates();
    changed();
    // The browsers are asked themselves, and one may be slow to answer: never on the main thread.
    auto& dispatch = services_.dispatch;
    dispatch.concurrentQueue().async([&dispatch, weak = self_.weak(), searchPath = services_.browserSearchPath,
                                      system = services_.systemExtensions] {
        std::map<BrowserKind, desktop::TabConsent> automation;
        for (const auto browser : kAllBrowsers) {
            if (BrowserSource::runningApp(browser)) automation[browser] = Permissions::tabConsent(browser);
        }
        std::vector<TabBrowser> browsers;
        if (auto* bridge = platform::current().browserBridge())
            browsers = zerlith::tabBrowsers(platform::installedBrowsers(searchPath), bridge->connectedBrowsers(), system);
        dispatch.postMain([weak, automation = std::move(automation), browsers = std::move(browsers)]() mutable {
            auto* model = weak.get();
            if (!model || (model->automation_ == automation && model->tabBrowsers_ == browsers)) return;
            model->automation_ = std::move(automation);
            model->tabBrowsers_ = std::move(browsers);
            model->changed();
        });
    });
}

void SettingsModel::startPolling() {
    refresh();
    polling_ = true;
    scheduleTick(++generation_);
}

void SettingsModel::scheduleTick(unsigned generation) {
    services_.dispatch.postMainAfter(kPollInterval, [weak = self_.weak(), generation] {
        auto* model = weak.get();
        // Stopped, or a later start polls.
        if (!model || !model->polling_ || generation != model->generation_) return;
        model->refresh();
        model->scheduleTick(generation);
    });
}

void SettingsModel::stopPolling() {
    polling_ = false;
    ++generation_;
}

void SettingsModel::apply(const Shortcut& shortcut, HotKeyManager::Role role) {
    auto* hotKeys = services_.hotKeys;
    const auto handler = handlerFor(role);
    if (hotKeys != nullptr && hotKeys->registerShortcut(role, shortcut, handler)) {
        shortcutError_.reset();
        ShortcutPreferences::save(services_.preferences, shortcut, storageKey(role));
        (role == HotKeyManager::Role::palette ? paletteShortcut_ : instantShortcut_) = shortcut;
        changed();
        return;
    }
    shortcutError_ = takenMessage(shortcut);
    if (hotKeys != nullptr) {
        const auto stored = ShortcutPreferences::loadOr(services_.preferences, storageKey(role), defaultShortcut(role));
        hotKeys->registerShortcut(role, stored, handler);
    }
    changed();
}

HotKeyManager::Handler SettingsModel::handlerFor(HotKeyManager::Role role) const {
    return services_.handlerFor ? services_.handlerFor(role) : HotKeyManager::Handler{};
}

std::string SettingsModel::takenMessage(const Shortcut& shortcut) const {
    return displayString(shortcut) + " is already used by another app.";
}

void SettingsModel::setKeysConsented(bool consented) {
    if (!keysNeedConsent() || consented == keysConsented_) return;
    services_.preferences.setValue(ShortcutPreferences::kConsentKey, consented);
    keysConsented_ = consented;
    shortcutError_.reset();
    for (const auto role : {HotKeyManager::Role::palette, HotKeyManager::Role::instant}) {
        if (!consented) {
            services_.hotKeys->unregister(role);
            continue;
        }
        const auto& shortcut = role == HotKeyManager::Role::palette ? paletteShortcut_ : instantShortcut_;
        if (!services_.hotKeys->registerShortcut(role, shortcut, handlerFor(role)))
            shortcutError_ = takenMessage(shortcut);
    }
    changed();
}

void SettingsModel::setLaunchAtLogin(bool enabled) {
    loginItemError_.reset();
    if (!services_.loginItem.setEnabled(enabled)) {
        const auto why = services_.loginItem.failure();
        loginItemError_ = why.empty() ? "Zerlith could not change whether it starts at login." : why;
    }
    refresh();
}

void SettingsModel::setAutomaticUpdates(bool enabled) {
    services_.updater.setAutomaticallyChecksForUpdates(enabled);
    automaticUpdates_ = enabled;
    changed();
}

void SettingsModel::browserAction(BrowserKind browser) {
    const auto found = automation_.find(browser);
    if (found != automation_.end() && found->second == desktop::TabConsent::denied) {
        Permissions::openTabConsentSettings();
        return;
    }
    auto* snapshots = services_.snapshots;
    auto& dispatch = services_.dispatch;
    dispatch.concurrentQueue().async([snapshots, &dispatch, weak = self_.weak()] {
        BrowserSource::requestAutomationAccess();
        if (snapshots != nullptr) {
            snapshots->markAllDirty();
            snapshots->refreshDirty();
        }
        dispatch.postMain([weak] {
            if (auto* model = weak.get()) model->refresh();
        });
    });
}

bool SettingsModel::tabsThroughExtension() const { return platform::current().browserBridge() != nullptr; }

void SettingsModel::installBrowserHosts() {
    std::ostringstream report;  // the paths, for a terminal; the window says it in one sentence
    const auto written = browser::installHostManifestsForUser(services_.hostCommand, report);
    if (written < 0) {
        auto why = report.str();
        if (why.ends_with('\n')) why.pop_back();
        hostInstallation_ = "Cannot install the host: " + why + ".";
    } else if (written == 0) {
        hostInstallation_ = "No browser profile found: start the browser once, then install again.";
    } else {
        hostInstallation_ = "Host installed. Restart the browser, then add the extension.";
    }
    refresh();
}

bool SettingsModel::openExtensionFolder(std::string_view kind) {
    const auto folder = extensionFolder(kind);
    return !folder.empty() && platform::current().workspace().openURL("file://" + folder);
}

std::string SettingsModel::displayString(const Shortcut& shortcut) const {
    return zerlith::displayString(shortcut, services_.keys);
}

void SettingsModel::changed() {
    if (listener_) listener_();
}

bool claimSetupWindow(SettingsModel& model, platform::Preferences& preferences) {
    model.refresh();
    const auto shown = preferences.value(kSetupShownKey);
    const bool wasShown = shown && shown->is_boolean() && shown->get<bool>();
    if (model.windowControlGranted() && model.windowTitlesGranted() && wasShown) return false;
    preferences.setValue(kSetupShownKey, true);
    return true;
}

}  // namespace zerlith
