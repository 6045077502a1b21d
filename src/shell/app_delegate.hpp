#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "cache/snapshot_store.hpp"
#include "desktop/activation_log.hpp"
#include "platform/dispatch.hpp"
#include "platform/hot_keys.hpp"
#include "platform/preferences.hpp"
#include "ranking/usage_store.hpp"
#include "shell/app_shell.hpp"
#include "shell/change_observer.hpp"
#include "shell/hot_key_manager.hpp"

namespace zerlith {

/// What the running application works with; everything outlives the delegate.
struct AppServices {
    SnapshotStore& snapshots;
    UsageStore& usage;
    ActivationLog& activationLog;
    platform::Preferences& preferences;
    platform::Dispatch& dispatch;
    /// The desktop's global keys; none where it has no way to take them.
    platform::HotKeys* hotKeys;
    /// The desktop's change events; none where it has no event stream.
    platform::DesktopEvents* desktopEvents;
    /// Where a problem the user must hear of goes when no tray may show it (standard error).
    std::ostream& diagnostics;
};

/// The running application: its launch sequence, its menu actions, and the one request for
/// browser access. Main thread.
class AppDelegate {
public:
    AppDelegate(AppServices services, AppShell& shell);

    /// Once, when the event loop starts: editing shortcuts, the status item, the global
    /// shortcuts, the change observer, the first refresh, the updater, the accessibility prompt,
    /// the settings window when setup is incomplete.
    void applicationDidFinishLaunching();
    /// The user started the running application again: the settings window.
    void applicationShouldHandleReopen() { shell_.showSettings(); }
    /// The application came to the front: asks once per run for browser access, at the first
    /// time a browser's consent is pending.
    void applicationDidBecomeActive();

    /// Status menu "Open Switcher", "Settings…", "Check for Updates…".
    void openPalette() { shell_.showPalette(); }
    void openSettings() { shell_.showSettings(); }
    void checkForUpdates() { shell_.checkForUpdates(); }
    /// The instant switch, as its shortcut does it; keys typed after it wait for the window it
    /// switches to.
    void instantSwitch(platform::KeyboardCapture typing = {});
    /// Applies the desktop's changes that came since they were last taken.
    void catchUpWithDesktop();

    /// Where the desktop's change events go.
    ChangeObserver& changeObserver() { return observer_; }
    /// The registry of the global shortcuts; none where the desktop offers no global keys.
    HotKeyManager* hotKeyManager() { return hotKeys_ ? &*hotKeys_ : nullptr; }
    /// What the role's shortcut does: the palette's toggles the palette, the instant one switches.
    HotKeyManager::Handler shortcutHandler(HotKeyManager::Role role);

private:
    void registerShortcuts();
    /// Says in the tray's tooltip and on standard error that another holds the palette's key.
    void reportPaletteKeyTaken(const Shortcut& shortcut);

    AppServices services_;
    AppShell& shell_;
    std::optional<HotKeyManager> hotKeys_;
    ChangeObserver observer_;
    bool didRequestBrowserAccess_ = false;
    bool checkingBrowserAccess_ = false;  ///< the browsers are being asked whether one is pending
};

/// The tooltip sentence for a palette shortcut another application holds.
std::string shortcutTakenSentence(const std::string& shortcutDisplay);

}  // namespace zerlith
