#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include <QAbstractNativeEventFilter>
#include <QObject>

#include "palette/palette_controller.hpp"
#include "palette/palette_window.hpp"
#include "platform/keyboard_capture.hpp"
#include "system/icon_cache.hpp"
#include "ui/palette_view.hpp"
#include "ui/window_host.hpp"

namespace zerlith::ui {

/// The palette's window: a frameless, always-on-top popup on every desktop, made once and kept
/// hidden between openings, showing the palette's view; the desktop's window host shows it and
/// hands it the keyboard. It gives the controller the keys
/// that switch before the search field sees them, and closes the palette when it loses the
/// keyboard. Main thread.
class PalettePopup final : public QObject, public PaletteWindow, private QAbstractNativeEventFilter {
    Q_OBJECT
public:
    /// `bringHereKeys`: the desktop's way of writing the keys that bring a window here ("Ctrl+↩").
    PalettePopup(PaletteController& controller, IconCache& icons, std::string_view bringHereKeys);
    ~PalettePopup() override;

    bool isVisible() const override;
    void setFrame(const Rect& frame) override;
    void showAndFocus() override;
    void hide() override;

    /// Keys typed before the window had the keyboard, as if typed now: text goes to the query,
    /// "\b" deletes its last character, "\r" and "\x1b" are Return and Escape.
    void typeText(const QString& text);
    /// The server time of the key press that opens the palette next, for the activation request;
    /// 0 when it opens on another request (the tray, another process).
    void setOpeningTime(std::uint32_t pressTime) { openingTime_ = pressTime; }
    /// Whether the window had the keyboard since it was last shown.
    bool hadFocusSinceShown() const { return activeSinceShown_; }
    /// Runs `handler` when the window gets the keyboard, once each time it is shown.
    void onActivated(std::function<void()> handler) { activated_ = std::move(handler); }
    /// Holds the keyboard while a key that may close the palette is handled, so that what is
    /// typed after it reaches the window switched to.
    void onClosingKey(std::function<platform::KeyboardCapture()> holdKeyboard) { holdKeyboard_ = std::move(holdKeyboard); }

    /// The shown view, for tests and screenshots.
    PaletteView& view() { return *view_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// Watches the server's focus events, which Qt's news of focus can lag behind.
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    /// The window got the keyboard: the first time since it was shown, the typed keys go to it.
    void focusArrived();

private:
    PaletteController& controller_;
    WindowHost& host_;
    std::unique_ptr<PaletteView> view_;
    /// The view's native window, made with it.
    QWindow* window_ = nullptr;
    std::function<void()> activated_;
    std::function<platform::KeyboardCapture()> holdKeyboard_;
    std::uint32_t openingTime_ = 0;
    /// The palette had the focus since it was last shown: only then can it lose it.
    bool activeSinceShown_ = false;
    /// A frame was drawn since the palette was last shown (for the latency trace).
    bool drawnSinceShown_ = false;
};

/// The key a Qt key event stands for in the palette.
PaletteKeyPress paletteKeyPress(int qtKey, Qt::KeyboardModifiers modifiers);

}  // namespace zerlith::ui
