#include "ui/palette_popup.hpp"

#include <utility>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainterPath>
#include <QRegion>

#include "desktop/screens.hpp"
#include "platform/latency_trace.hpp"

namespace zerlith::ui {
namespace {

constexpr int kCornerRadius = 14;

/// Keys that may close the palette, switching to another window or back to the one it was
/// opened over.
bool mayClose(PaletteKey key) {
    return key == PaletteKey::returnKey || key == PaletteKey::keypadEnter || key == PaletteKey::escape ||
           key == PaletteKey::left || key == PaletteKey::right;
}

/// A rounded rectangle as a window shape, for a window manager that cannot draw transparency.
QRegion roundedShape(QSize size, int radius) {
    QPainterPath path;
    path.addRoundedRect(QRectF(QPointF(0, 0), size), radius, radius);
    return QRegion(path.toFillPolygon().toPolygon());
}

}  // namespace

PaletteKeyPress paletteKeyPress(int qtKey, Qt::KeyboardModifiers modifiers) {
    const bool command = modifiers.testFlag(Qt::ControlModifier);
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    switch (qtKey) {
        case Qt::Key_Return:
            return {PaletteKey::returnKey, command, shift};
        case Qt::Key_Enter:
            return {PaletteKey::keypadEnter, command, shift};
        case Qt::Key_Tab:
            return {PaletteKey::tab, command, shift};
        case Qt::Key_Backtab:  // Shift+Tab, as Qt reports it
            return {PaletteKey::tab, command, true};
        case Qt::Key_Escape:
            return {PaletteKey::escape, command, shift};
        case Qt::Key_Left:
            return {PaletteKey::left, command, shift};
        case Qt::Key_Right:
            return {PaletteKey::right, command, shift};
        case Qt::Key_Down:
            return {PaletteKey::down, command, shift};
        case Qt::Key_Up:
            return {PaletteKey::up, command, shift};
        default:
            return {PaletteKey::other, command, shift};
    }
}

PalettePopup::PalettePopup(PaletteController& controller, IconCache& icons, std::string_view bringHereKeys)
    : controller_(controller),
      host_(WindowHost::current()),
      view_(std::make_unique<PaletteView>(controller, icons,
                                          QString::fromUtf8(bringHereKeys.data(), static_cast<qsizetype>(bringHereKeys.size())) +
                                              " bring here",
                                          host_.translucent())) {
    view_->setWindowTitle("Zerlith Switcher");
    view_->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | host_.popupFlags());
    if (view_->roundedByCompositor()) {
        view_->setAttribute(Qt::WA_TranslucentBackground);
    } else {
        view_->setMask(roundedShape(view_->size(), kCornerRadius));
    }
    view_->onPainted([this] {
        if (!std::exchange(drawnSinceShown_, true)) platform::latency::mark("palette drawn");
    });
    view_->winId();  // makes the native window, to watch from now on
    window_ = view_->windowHandle();
    window_->installEventFilter(this);
    QCoreApplication::instance()->installNativeEventFilter(this);
    connect(window_, &QWindow::activeChanged, this, [this] {
        if (!view_->isVisible()) return;
        if (window_->isActive()) {
            focusArrived();
        } else if (activeSinceShown_ && !host_.hasInputFocus(*window_).value_or(false)) {
            // News of focus may be stale, sent about an earlier opening: the loss of a focus this
            // opening never had, or that the server says it still has, closes nothing.
            controller_.windowDidResignKey();
        }
    });
}

PalettePopup::~PalettePopup() {
    QCoreApplication::instance()->removeNativeEventFilter(this);
    window_->removeEventFilter(this);
}

bool PalettePopup::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (view_->isVisible() && host_.isFocusIn(eventType, message, *window_)) focusArrived();
    return false;
}

void PalettePopup::focusArrived() {
    if (std::exchange(activeSinceShown_, true)) return;
    platform::latency::mark("palette focused");
    if (activated_) activated_();
}

bool PalettePopup::isVisible() const { return view_->isVisible(); }

void PalettePopup::setFrame(const Rect& frame) {
    const auto topLeft = Screens::convertSpace(frame, Screens::primary());
    view_->setGeometry(static_cast<int>(topLeft.x), static_cast<int>(topLeft.y), static_cast<int>(frame.absWidth()),
                       static_cast<int>(frame.absHeight()));
}

void PalettePopup::showAndFocus() {
    activeSinceShown_ = false;
    drawnSinceShown_ = false;
    view_->show();
    view_->raise();
    host_.requestActivation(*window_, std::exchange(openingTime_, 0));
}

void PalettePopup::hide() {
    view_->hide();
    view_->resultList().forgetIcons();
}



void PalettePopup::typeText(const QString& text) {
    QString query = QString::fromStdString(controller_.model().query());
    for (const QChar character : text) {
        if (character == u'\b') {
            query.chop(1);
        } else if (character == u'\r' || character == u'\x1b') {
            controller_.model().setQuery(query.toStdString());
            controller_.handleKey({character == u'\r' ? PaletteKey::returnKey : PaletteKey::escape});
            if (!isVisible()) return;  // what follows the switch was typed to the window switched to
            query = QString::fromStdString(controller_.model().query());
        } else {
            query += character;
        }
    }
    controller_.model().setQuery(query.toStdString());
}

bool PalettePopup::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const auto press = paletteKeyPress(key->key(), key->modifiers());
        if (!mayClose(press.key) || !holdKeyboard_) {
            if (controller_.handleKey(press)) return true;
            // Qt makes the window active, and gives the query field the keys, only some time
            // after the compositor has begun sending them (on Wayland tens of milliseconds):
            // the text typed meanwhile goes to the query, not to nowhere.
            const QString text = key->text();
            const bool typed = !view_->queryField().hasFocus() && !text.isEmpty() &&
                               (text.front().isPrint() || text.front() == u'\b');
            if (typed) typeText(text);
            return typed;
        }
        auto typing = holdKeyboard_();
        const bool handled = controller_.handleKey(press);
        if (!isVisible()) typing.handOver();  // else let go here: the palette keeps the keys
        return handled;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace zerlith::ui
