#include "shell/app_delegate.hpp"

#include "activation/instant_switch.hpp"
#include "platform/platform.hpp"
#include "shell/shortcut_preferences.hpp"
#include "sources/browser_source.hpp"
#include "system/permissions.hpp"

namespace zerlith {

AppDelegate::AppDelegate(AppServices services, AppShell& shell)
    : services_(services), shell_(shell), observer_(services.snapshots) {
    if (services_.hotKeys) hotKeys_.emplace(*services_.hotKeys, services_.dispatch);
}

void AppDelegate::applicationDidFinishLaunching() {
    shell_.setUpEditingShortcuts();
    shell_.setUpStatusItem();
    registerShortcuts();
    observer_.start();
    services_.snapshots.refreshDirty();
    shell_.startUpdater();
    Permissions::grantedOrAsk(desktop::Grant::controlWindows);
    shell_.showSettingsIfSetupIncomplete();
}

void AppDelegate::registerShortcuts() {
    // Without global keys, or refused by the user, the channel's commands stand in.
    auto& preferences = services_.preferences;
    if (!hotKeys_ || !ShortcutPreferences::mayTakeKeys(preferences, *services_.hotKeys)) return;
    using Role = HotKeyManager::Role;
    const auto palette =
        ShortcutPreferences::loadOr(preferences, ShortcutPreferences::kPaletteKey, ShortcutPreferences::kPaletteDefault);
    const bool paletteRegistered = hotKeys_->registerShortcut(Role::palette, palette, shortcutHandler(Role::palette));
    const auto instant =
        ShortcutPreferences::loadOr(preferences, ShortcutPreferences::kInstantKey, ShortcutPreferences::kInstantDefault);
    hotKeys_->registerShortcut(Role::instant, instant, shortcutHandler(Role::instant));
    // Taken later too: sway's configuration may bind the key at a reload.
    hotKeys_->onLoss([this](Role role, const Shortcut& shortcut) {
        if (role == Role::palette) reportPaletteKeyTaken(shortcut);
    });
    if (!paletteRegistered) reportPaletteKeyTaken(palette);
}

void AppDelegate::reportPaletteKeyTaken(const Shortcut& shortcut) {
    const auto sentence = shortcutTakenSentence(displayString(shortcut, services_.hotKeys));
    shell_.setStatusTooltip(sentence);
    services_.diagnostics << "zerlith: " << sentence << '\n';  // a desktop may show no tray
}

HotKeyManager::Handler AppDelegate::shortcutHandler(HotKeyManager::Role role) {
    if (role == HotKeyManager::Role::palette) {
        return [this](std::uint32_t time, platform::KeyboardCapture typing) {
            shell_.togglePalette(time, std::move(typing));
        };
    }
    return [this](std::uint32_t, platform::KeyboardCapture typing) { instantSwitch(std::move(typing)); };
}

void AppDelegate::instantSwitch(platform::KeyboardCapture typing) {
    // A window closed just before the press must not be the one switched to.
    catchUpWithDesktop();
    if (InstantSwitch::toggle(services_.snapshots, services_.usage, services_.activationLog)) typing.handOver();
}

void AppDelegate::catchUpWithDesktop() {
    if (services_.desktopEvents) observer_.handle(services_.desktopEvents->takeChanges());
}

void AppDelegate::applicationDidBecomeActive() {
    if (didRequestBrowserAccess_ || checkingBrowserAccess_) return;
    checkingBrowserAccess_ = true;
    auto& snapshots = services_.snapshots;
    auto& dispatch = services_.dispatch;
    // The browsers are asked themselves, and one may be slow to answer: never on the main thread.
    dispatch.concurrentQueue().async([this, &snapshots, &dispatch] {
        const bool pending = !BrowserSource::pendingConsent().empty();
        dispatch.postMain([this, pending] {
            checkingBrowserAccess_ = false;
            didRequestBrowserAccess_ = didRequestBrowserAccess_ || pending;
        });
        if (!pending) return;
        BrowserSource::requestAutomationAccess();
        snapshots.markAllDirty();
        snapshots.refreshDirty();
    });
}

std::string shortcutTakenSentence(const std::string& shortcutDisplay) {
    return shortcutDisplay + " is taken by another app — pick a different one in Settings.";
}

}  // namespace zerlith
