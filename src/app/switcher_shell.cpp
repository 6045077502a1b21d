#include "app/switcher_shell.hpp"

#include <cstdlib>

#include <QApplication>
#include <QSystemTrayIcon>

#include "settings/desktop_notice.hpp"
#include "ui/palette_popup.hpp"
#include "app/settings_loader.hpp"

namespace zerlith::app {
namespace {

/// How long typed keys wait for the palette to take the keyboard before they are handed over
/// anyway: the keyboard must never stay held when the window manager does not focus the palette.
constexpr int kTypingHoldMilliseconds = 750;
/// Someone typing without pause must not keep the palette from taking the keyboard itself.
constexpr int kMostTypingTakes = 8;

/// The folders installed browsers are looked for in.
std::string searchPath() {
    const char* path = std::getenv("PATH");
    return path != nullptr ? path : "";
}

}  // namespace

SwitcherShell::SwitcherShell(CoreServices& core, platform::HotKeys* hotKeys, platform::Preferences& preferences,
                             LoginItem& loginItem, std::string command, bool waylandSession)
    : core_(core),
      hotKeys_(hotKeys),
      preferences_(preferences),
      loginItem_(loginItem),
      command_(std::move(command)),
      waylandSession_(waylandSession),
      feedReader_(core.dispatch()),
      updater_(preferences, core.clock(), core.dispatch(), feedReader_, ZERLITH_VERSION, ZERLITH_UPDATE_FEED_URL),
      palette_(core.snapshots(), core.usage(), core.activationLog(), [this, &core](PaletteController& controller) {
          auto window = std::make_unique<ui::PalettePopup>(controller, core.icons(),
                                                               core.desktop().provider().bringHereKeys);
          if (hotKeys_) window->onClosingKey([this] { return hotKeys_->holdKeyboard(); });
          window->onActivated([this] { deliverTyping(); });
          window->setOpeningTime(openingTime_);
          window_ = window.get();
          return window;
      }) {
    typingHold_.setSingleShot(true);
    typingHold_.setInterval(kTypingHoldMilliseconds);
    QObject::connect(&typingHold_, &QTimer::timeout, [this] { deliverTyping(); });
}

SwitcherShell::~SwitcherShell() = default;

SettingsModel& SwitcherShell::settingsModel() {
    if (!settings_) {
        settings_.emplace(SettingsModel::Services{
            preferences_, core_.dispatch(), loginItem_, updater_, hotKeyManager(),
            [this](HotKeyManager::Role role) { return delegate_->shortcutHandler(role); }, hotKeys_,
            &core_.snapshots(), searchPath(), command_,
            [provider = core_.desktop().provider(), wayland = waylandSession_, command = command_](bool takesKeys) {
                return desktopNotice(provider, wayland, command, takesKeys);
            }});
    }
    return *settings_;
}

void SwitcherShell::showSettings() {
    if (!settingsWindow_ && !settingsUnavailable_) {
        settingsWindow_ = loadSettingsWindow(settingsModel(), updater_, hotKeyManager(), hotKeys_);
        settingsUnavailable_ = !settingsWindow_;
    }
    if (settingsWindow_) settingsWindow_->show();
}

void SwitcherShell::showSettingsIfSetupIncomplete() {
    // The settings' view is made only when it shows: most starts never need it.
    if (claimSetupWindow(settingsModel(), preferences_)) showSettings();
}

HotKeyManager* SwitcherShell::hotKeyManager() { return delegate_ ? delegate_->hotKeyManager() : nullptr; }

void SwitcherShell::startUpdater() {
    updater_.setListener([this](const Updater::Status& status, bool newVersion) {
        if (settingsWindow_) settingsWindow_->updaterChanged();
        // A check the user did not ask for speaks only of a newer version.
        if (newVersion && statusItem_ && !(settingsWindow_ && settingsWindow_->isVisible()))
            statusItem_->showMessage("Zerlith", QString::fromStdString(status.text));
    });
    updater_.start();
}

void SwitcherShell::checkForUpdates() {
    showSettings();  // where the answer shows
    updater_.checkForUpdates();
}

void SwitcherShell::setUpEditingShortcuts() {
    // Qt's text fields already bind Undo, Redo, Cut, Copy, Paste and Select All to Ctrl keys, and
    // X11 has no global menu bar to list them in.
}

void SwitcherShell::setUpStatusItem() {
    // Qt picks a tray for an icon when it makes one: a desktop's tray service present then, else
    // X11's tray, which may also come later. Elsewhere (Wayland without a tray service) the icon
    // could never show, and Qt would only warn that X11's tray cannot be watched there.
    if (QGuiApplication::platformName() != "xcb" && !QSystemTrayIcon::isSystemTrayAvailable()) return;
    statusItem_.emplace(ui::StatusItem::Actions{
        [this] { delegate_->openPalette(); },
        [this] { delegate_->openSettings(); },
        [this] { delegate_->checkForUpdates(); },
        [] { QApplication::quit(); },
    });
}

void SwitcherShell::setStatusTooltip(const std::string& text) {
    if (statusItem_) statusItem_->setToolTip(QString::fromStdString(text));
}

void SwitcherShell::togglePalette(std::uint32_t pressTime, platform::KeyboardCapture typing) {
    if (palette_.isVisible()) {
        typingHold_.stop();
        typing_.release();
        palette_.hide();
        return;  // what was typed to close is for nobody: `typing` lets go here
    }
    openingTime_ = pressTime;
    if (window_) window_->setOpeningTime(pressTime);
    typing_ = std::move(typing);
    palette_.show();
    typingHold_.start();
}

void SwitcherShell::deliverTyping() {
    typingHold_.stop();
    // Keys typed while the palette took the earlier ones wait in the desktop: take them too
    // before letting go, or they would all reach the palette at once, also those after a Return
    // that closes it.
    for (int take = 0; take < kMostTypingTakes && window_ && palette_.isVisible(); ++take) {
        const auto typed = QString::fromStdString(typing_.takeTyped());
        if (typed.isEmpty()) break;
        window_->typeText(typed);
    }
    // After a Return or Escape that closed the palette, the keys wait for the window it leaves for;
    // while a busy window manager has yet to focus the palette, for the palette.
    if (palette_.isVisible() && window_ && window_->hadFocusSinceShown()) {
        typing_.release();
    } else {
        typing_.handOver();
    }
}

}  // namespace zerlith::app
