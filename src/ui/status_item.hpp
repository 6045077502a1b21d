#pragma once

#include <functional>

#include <QMenu>
#include <QString>
#include <QSystemTrayIcon>

namespace zerlith::ui {

/// The tray icon and its menu: "Open Switcher", "Settings…", "Check for Updates…", "Quit
/// Zerlith". Where the desktop has no tray nothing shows, and the application works all the same.
/// Main thread.
class StatusItem {
public:
    struct Actions {
        std::function<void()> openSwitcher;
        std::function<void()> openSettings;
        std::function<void()> checkForUpdates;
        std::function<void()> quit;
    };

    explicit StatusItem(Actions actions);

    // Texts are plain: desktops render the tooltip and the notification as markup, and a text may
    // hold what an update feed said.
    void setToolTip(const QString& text) { icon_.setToolTip(text.toHtmlEscaped()); }
    QString toolTip() const { return icon_.toolTip(); }
    /// A passing notification by the icon; nothing where the desktop shows none.
    void showMessage(const QString& title, const QString& text) {
        icon_.showMessage(title.toHtmlEscaped(), text.toHtmlEscaped());
    }

private:
    QMenu menu_;
    QSystemTrayIcon icon_;
};

}  // namespace zerlith::ui
