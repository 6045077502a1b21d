#pragma once

#include <optional>
#include <string>

#include <QTimer>

#include "app/core_services.hpp"
#include "app/update_feed_loader.hpp"
#include "palette/palette_controller.hpp"
#include "settings/login_item.hpp"
#include "settings/settings_model.hpp"
#include "settings/updater.hpp"
#include "shell/app_delegate.hpp"
#include "ui/status_item.hpp"

namespace zerlith::ui {
class PalettePopup;
class SettingsWindow;
}

namespace zerlith::app {

/// The application's windows, tray and updater under Qt, as the delegate drives them. Main
/// thread.
class SwitcherShell final : public AppShell {
public:
    /// `loginItem` outlives the shell; `command` is the `zerlith` the user starts, which the
    /// browsers start as their host too; `waylandSession`: the session runs a Wayland compositor.
    SwitcherShell(CoreServices& core, platform::HotKeys* hotKeys, platform::Preferences& preferences,
                  LoginItem& loginItem, std::string command, bool waylandSession);
    ~SwitcherShell() override;

    /// Where the status menu's items go; set before the launch sequence runs.
    void setMenuTarget(AppDelegate& delegate) { delegate_ = &delegate; }

    void setUpEditingShortcuts() override;
    void setUpStatusItem() override;
    void setStatusTooltip(const std::string& text) override;
    void togglePalette(std::uint32_t pressTime, platform::KeyboardCapture typing) override;
    void showPalette() override { palette_.show(); }
    void showSettings() override;
    void showSettingsIfSetupIncomplete() override;
    void startUpdater() override;
    void checkForUpdates() override;

private:
    /// Hands the keys typed since the hot key to the palette's query, and the keyboard back.
    void deliverTyping();
    /// The settings' model, made at its first need (after the delegate is known).
    SettingsModel& settingsModel();
    HotKeyManager* hotKeyManager();

    CoreServices& core_;
    platform::HotKeys* hotKeys_;
    platform::Preferences& preferences_;
    LoginItem& loginItem_;
    std::string command_;
    bool waylandSession_;
    ModuleUpdateFeed feedReader_;
    Updater updater_;
    std::optional<SettingsModel> settings_;
    /// Made at its first showing, from its module.
    std::unique_ptr<ui::SettingsWindow> settingsWindow_;
    /// The module could not be opened: said once, not tried again.
    bool settingsUnavailable_ = false;
    PaletteController palette_;
    ui::PalettePopup* window_ = nullptr;
    AppDelegate* delegate_ = nullptr;
    /// The press of the hot key that opens the palette the first time, before its window exists.
    std::uint32_t openingTime_ = 0;
    std::optional<ui::StatusItem> statusItem_;
    /// The keyboard held since the hot key opened the palette, until the palette takes the keys.
    platform::KeyboardCapture typing_;
    /// Hands the typed keys over should the palette not get the keyboard soon; one per opening,
    /// so an earlier opening's never takes the keys of a later one.
    QTimer typingHold_;
};

}  // namespace zerlith::app
