#include "ui/settings_quick_window.hpp"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QQmlEngine>
#include <QScreen>

#include "ui/image_providers.hpp"
#include "ui/window_host.hpp"

namespace zerlith::ui {

SettingsQuickWindow::SettingsQuickWindow(SettingsModel& model, Updater& updater, HotKeyManager* hotKeys,
                                         platform::HotKeys* keys)
    : model_(model), keys_(keys), bridge_(model, updater, hotKeys) {}

SettingsQuickWindow::~SettingsQuickWindow() {
    if (view_) {
        // Closing the view says it hid: by then the registry of the keys may be gone.
        view_->removeEventFilter(this);
        QObject::disconnect(view_.get(), nullptr, this, nullptr);
    }
    model_.stopPolling();
}

QQuickView& SettingsQuickWindow::view() {
    if (!view_) create();
    return *view_;
}

bool SettingsQuickWindow::isVisible() const { return view_ && view_->isVisible(); }

void SettingsQuickWindow::create() {
    view_ = std::make_unique<QQuickView>();
    view_->setTitle("Zerlith");
    view_->setResizeMode(QQuickView::SizeRootObjectToView);
    view_->setMinimumSize(QSize(kWidth, kHeight));
    view_->setMaximumSize(QSize(kWidth, kHeight));
    view_->resize(kWidth, kHeight);
    view_->engine()->addImageProvider("symbol", new SymbolImageProvider);
    view_->setInitialProperties({{"settings", QVariant::fromValue(&bridge_)}});
    view_->setSource(QUrl("qrc:/zerlith/qml/Settings.qml"));
    if (auto* screen = QGuiApplication::primaryScreen()) {
        const auto area = screen->availableGeometry();
        view_->setPosition(area.center() - QPoint(kWidth / 2, kHeight / 2));
    }
    view_->installEventFilter(this);
    connect(view_.get(), &QWindow::visibleChanged, this, [this](bool visible) {
        if (visible) {
            model_.startPolling();
        } else {
            model_.stopPolling();
            bridge_.stopRecording();
        }
    });
    connect(view_.get(), &QWindow::activeChanged, this, [this] {
        if (!view_->isActive()) bridge_.stopRecording();  // the keys go elsewhere now
    });
}

void SettingsQuickWindow::show() {
    model_.refresh();
    if (!view_) create();
    view_->show();
    view_->raise();
    WindowHost::current().requestActivation(*view_);
}

bool SettingsQuickWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_.get() && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        std::optional<std::uint32_t> stored;
        if (keys_ != nullptr && key->nativeScanCode() != 0) stored = keys_->storedKeyCode(key->nativeScanCode());
        return bridge_.recordKey(key->key(), key->modifiers(), stored);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace zerlith::ui
