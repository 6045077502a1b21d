#include "app/switcher_shell.hpp"

#include <QApplication>

#include "ui/palette_quick_window.hpp"

namespace zerlith::app {
namespace {

/// How long typed keys wait for the palette to take the keyboard before they are handed over
/// anyway: the keyboard must never stay held when the window manager does not focus the palette.
constexpr int kTypingHoldMilliseconds = 750;

}  // namespace

SwitcherShell::SwitcherShell(CoreServices& core, platform::HotKeys* hotKeys)
    : hotKeys_(hotKeys),
      palette_(core.snapshots(), core.usage(), core.activationLog(), [this, &core](PaletteController& controller) {
          auto window = std::make_unique<ui::PaletteQuickWindow>(controller, core.icons());
          window->onActivated([this] { deliverTyping(); });
          window->setOpeningTime(openingTime_);
          window_ = window.get();
          return window;
      }) {
    typingHold_.setSingleShot(true);
    typingHold_.setInterval(kTypingHoldMilliseconds);
    QObject::connect(&typingHold_, &QTimer::timeout, [this] { deliverTyping(); });
}

void SwitcherShell::setUpEditingShortcuts() {
    // Qt's text fields already bind Undo, Redo, Cut, Copy, Paste and Select All to Ctrl keys, and
    // X11 has no global menu bar to list them in.
}

void SwitcherShell::setUpStatusItem() {
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

void SwitcherShell::togglePalette(std::uint32_t pressTime) {
    if (palette_.isVisible()) {
        palette_.hide();
        typingHold_.stop();
        if (hotKeys_) hotKeys_->releaseTyping();  // typed to close: nothing to keep
        return;
    }
    openingTime_ = pressTime;
    if (window_) window_->setOpeningTime(pressTime);
    palette_.show();
    typingHold_.start();
}

void SwitcherShell::deliverTyping() {
    typingHold_.stop();
    if (!hotKeys_) return;
    const auto typed = QString::fromStdString(hotKeys_->releaseTyping());
    if (!typed.isEmpty() && window_ && palette_.isVisible()) window_->typeText(typed);
}

}  // namespace zerlith::app
