#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/weak_handle.hpp"
#include "cache/snapshot_store.hpp"
#include "model/target.hpp"
#include "platform/dispatch.hpp"
#include "platform/hot_keys.hpp"
#include "platform/preferences.hpp"
#include "settings/login_item.hpp"
#include "settings/tab_browsers.hpp"
#include "settings/updater.hpp"
#include "shell/hot_key_manager.hpp"
#include "shell/shortcut.hpp"
#include "system/permissions.hpp"

namespace zerlith {

/// The state behind the settings window: the permissions the switcher needs (where tabs come
/// through Zerlith's extension, none but the browsers' connections), launch at login, the two
/// global shortcuts with the message of the last change that failed, and automatic update checks. Re-reads the system once a second while the window shows. Main thread; every
/// collaborator outlives the model.
class SettingsModel {
public:
    struct Services {
        platform::Preferences& preferences;
        platform::Dispatch& dispatch;
        LoginItem& loginItem;
        Updater& updater;
        /// The registry of the global shortcuts; none where the desktop offers no global keys.
        HotKeyManager* hotKeys;
        /// What a role's shortcut does when pressed.
        std::function<HotKeyManager::Handler(HotKeyManager::Role)> handlerFor;
        /// How the desktop writes keys; none gives the glyph form without layout names.
        platform::HotKeys* keys;
        /// Refreshed once a browser's access was asked for; none to refresh nothing.
        SnapshotStore* snapshots = nullptr;
        /// Where tabs come through the extension: the folders installed browsers are looked for
        /// in (PATH's form), and the `zerlith` command the browsers start as their host.
        std::string browserSearchPath = {};
        std::string hostCommand = {};
        /// What the desktop lacks, told above the shortcuts, given whether the switcher takes its
        /// keys itself (desktopNotice()); none when nothing.
        std::function<std::string(bool takesKeys)> desktopNotice = {};
        /// Where browsers load the extension by themselves when the package installed it.
        SystemExtensions systemExtensions = debianSystemExtensions();
    };

    static constexpr double kPollInterval = 1.0;

    explicit SettingsModel(Services services);
    SettingsModel(const SettingsModel&) = delete;
    SettingsModel& operator=(const SettingsModel&) = delete;

    /// Runs after every assignment of the published state, also when nothing changed.
    void onChange(std::function<void()> listener) { listener_ = std::move(listener); }

    bool windowControlGranted() const { return windowControl_; }
    bool windowTitlesGranted() const { return windowTitles_; }
    /// Running browsers only.
    const std::map<BrowserKind, desktop::TabConsent>& automation() const { return automation_; }
    /// Whether tabs come through Zerlith's extension (the desktop has a browser bridge): the
    /// browsers are then rows of their own, and the desktop asks for no permissions.
    bool tabsThroughExtension() const;
    /// With the extension: the installed browsers and whether each is connected; else empty.
    const std::vector<TabBrowser>& tabBrowsers() const { return tabBrowsers_; }
    /// What the last installation of the browsers' host manifests did; none before one.
    const std::optional<std::string>& hostInstallation() const { return hostInstallation_; }
    bool launchAtLogin() const { return launchAtLogin_; }
    bool loginItemNeedsApproval() { return services_.loginItem.needsApproval(); }
    /// Why the last change of launch at login failed; none after one that worked.
    const std::optional<std::string>& loginItemError() const { return loginItemError_; }
    const Shortcut& paletteShortcut() const { return paletteShortcut_; }
    const Shortcut& instantShortcut() const { return instantShortcut_; }
    const std::optional<std::string>& shortcutError() const { return shortcutError_; }
    bool automaticUpdates() const { return automaticUpdates_; }
    /// What the desktop lacks; empty when nothing.
    std::string desktopNotice() const;
    /// Whether the switcher takes its shortcuts itself; where it does not, there is nothing to record.
    bool takesGlobalKeys() const { return services_.hotKeys != nullptr && keysConsented_; }
    /// Whether taking the shortcuts changes the desktop's own configuration, so that the user
    /// chooses whether the switcher does (keysConsented()).
    bool keysNeedConsent() const;
    bool keysConsented() const { return keysConsented_; }
    /// Window control, window titles and every running browser's tabs are granted.
    bool allPermissionsGranted() const;

    /// Re-reads permissions, login item and automatic updates, and then, once the browsers have
    /// answered in the background, the running browsers' automation.
    void refresh();
    /// Refreshes now and then every second until stopPolling(); never more than one timer.
    void startPolling();
    void stopPolling();
    bool isPolling() const { return polling_; }

    /// Registers `shortcut` for `role`; on success stores and publishes it and clears the error,
    /// else sets the error and registers the stored shortcut again.
    void apply(const Shortcut& shortcut, HotKeyManager::Role role);
    /// Stores the user's choice and takes both shortcuts, or gives them back, at once; says which
    /// one is taken. Nothing where no consent is needed.
    void setKeysConsented(bool consented);
    /// Asks the login item to change, then shows what the system says, and why it refused.
    void setLaunchAtLogin(bool enabled);
    void setAutomaticUpdates(bool enabled);
    /// A browser row's button: the system settings when its automation was denied, else asks the
    /// browser for access in the background, refreshes the cache, and then the model.
    void browserAction(BrowserKind browser);

    /// Writes the native-messaging host manifests into this user's browser profiles (what
    /// `zerlith --install-browser-hosts` does), says how it went, and refreshes.
    void installBrowserHosts();
    /// Opens the folder of Zerlith's extension for a family ("chrome", "firefox"), the one a
    /// browser's "Load unpacked" asks for; false when there is none or nothing opens it.
    bool openExtensionFolder(std::string_view kind);

    /// The shortcut as the desktop's users write it.
    std::string displayString(const Shortcut& shortcut) const;

private:
    void changed();
    HotKeyManager::Handler handlerFor(HotKeyManager::Role role) const;
    std::string takenMessage(const Shortcut& shortcut) const;
    /// The next refresh of the polling that `generation` counts.
    void scheduleTick(unsigned generation);

    Services services_;
    bool windowControl_ = false;
    bool windowTitles_ = false;
    std::map<BrowserKind, desktop::TabConsent> automation_;
    std::vector<TabBrowser> tabBrowsers_;
    std::optional<std::string> hostInstallation_;
    bool launchAtLogin_ = false;
    Shortcut paletteShortcut_;
    Shortcut instantShortcut_;
    std::optional<std::string> shortcutError_;
    bool keysConsented_;
    std::optional<std::string> loginItemError_;
    bool automaticUpdates_ = true;
    bool polling_ = false;
    /// Counts starts and stops: a tick that an earlier start queued finds a newer count and ends.
    unsigned generation_ = 0;
    std::function<void()> listener_;
    platform::WeakHandle<SettingsModel> self_{this};
};

/// Whether the settings window should open at launch: a permission is missing, or it has never
/// been shown ("setup.shown"). Marks it shown when it should open. Refreshes the model first.
bool claimSetupWindow(SettingsModel& model, platform::Preferences& preferences);

}  // namespace zerlith
