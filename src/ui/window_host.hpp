#pragma once

#include <cstdint>
#include <optional>

#include <QByteArray>
#include <QString>
#include <QWindow>

namespace zerlith::ui {

/// How the desktop Qt runs on shows the switcher's own windows (the palette, the settings) and
/// gives them the keyboard. This base is the plain host, where Qt's own calls are all there is
/// (the offscreen platform, say); a windowing system that needs more derives from it. Main thread.
class WindowHost {
public:
    virtual ~WindowHost() = default;

    /// The host for the platform Qt runs on, made on first use.
    static WindowHost& current();

    /// Whether a compositor draws the screen, so a window may be translucent.
    virtual bool translucent() { return false; }
    /// The window flags, beyond Qt's own, of a popup: it shows at once, on every desktop, above
    /// the others, out of the task bar and the pager, and takes the keyboard as soon as it is shown.
    virtual Qt::WindowFlags popupFlags() { return {}; }
    /// Asks the desktop to give the shown window the keyboard. `userTime` is the server time of
    /// the input that asked (0: now).
    virtual void requestActivation(QWindow& window, std::uint32_t /*userTime*/ = 0) { window.requestActivate(); }
    /// Whether the window has the keyboard now, asking the desktop; none where it cannot tell.
    virtual std::optional<bool> hasInputFocus(QWindow&) { return std::nullopt; }
    /// Whether a native event Qt reads tells the window it got the keyboard, sooner than Qt's
    /// own news of focus.
    virtual bool isFocusIn(const QByteArray& /*eventType*/, const void* /*message*/, const QWindow&) { return false; }
};

}  // namespace zerlith::ui
