#pragma once

#include <array>
#include <cstdint>

#include "ui/window_host.hpp"

namespace zerlith::ui {

/// What Qt does not do on X11 for the application's windows: a popup that takes the focus without
/// the window manager, activation of the others as a pager asks for it, and the server's own word
/// on the focus.
class X11WindowHost final : public WindowHost {
public:
    /// Learns the atoms it uses in one round trip: an opening then waits for no name lookups.
    X11WindowHost();

    /// Whether the X display named by $DISPLAY accepts a connection. Any thread; before Qt starts.
    static bool displayReachable();

    /// A compositing manager owns _NET_WM_CM_S0.
    bool translucent() override;
    /// Override-redirect, as a menu is: the window manager neither frames nor places it, and
    /// showing it waits for no one. Unmanaged, it is above the others and on every desktop.
    Qt::WindowFlags popupFlags() override;
    /// A popup sets the input focus itself. Another window asks as a pager (_NET_ACTIVE_WINDOW
    /// from source 2), which focus-stealing prevention lets through: the user asked for it.
    void requestActivation(QWindow& window, std::uint32_t userTime = 0) override;
    std::optional<bool> hasInputFocus(QWindow& window) override;
    /// A FocusIn on the window. Unlike Qt's own news of focus this is never late: Qt waits a
    /// moment before it reports a focus lost, and a focus that comes back meanwhile is not
    /// reported at all.
    bool isFocusIn(const QByteArray& eventType, const void* message, const QWindow& window) override;
    /// Linux users know the command key as Ctrl.

private:
    /// The atoms it uses, by name.
    enum Atom { compositingManager, activeWindowProperty, atomCount };
    std::array<std::uint32_t, atomCount> atoms_{};
};

}  // namespace zerlith::ui
