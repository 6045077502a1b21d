#include "ui/status_item.hpp"

#include <QIcon>

namespace zerlith::ui {

StatusItem::StatusItem(Actions actions) {
    auto add = [this](const QString& title, std::function<void()> action, const QKeySequence& keys = {}) {
        QAction* item = menu_.addAction(title);
        item->setShortcut(keys);
        QObject::connect(item, &QAction::triggered, item, [action = std::move(action)] { action(); });
    };
    add("Open Switcher", std::move(actions.openSwitcher));
    menu_.addSeparator();
    add("Settings…", std::move(actions.openSettings), QKeySequence("Ctrl+,"));
    add("Check for Updates…", std::move(actions.checkForUpdates));
    menu_.addSeparator();
    add("Quit Zerlith", std::move(actions.quit), QKeySequence("Ctrl+Q"));

    QIcon icon(":/zerlith/symbols/tray-icon.svg");
    icon.setIsMask(true);  // drawn in the panel's colour where the desktop supports it
    icon_.setIcon(icon);
    icon_.setToolTip("Zerlith");
    icon_.setContextMenu(&menu_);
    icon_.show();
}

}  // namespace zerlith::ui
