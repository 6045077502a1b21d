#pragma once

#include <cstdint>
#include <optional>

#include <QWindow>

/// What Qt does not say to an X11 window manager about the application's windows. Each does
/// nothing off X11 (Qt's offscreen platform, say). Main thread unless said otherwise.
namespace zerlith::ui::x11 {

/// Whether the X display named by $DISPLAY accepts a connection. Any thread; before Qt starts.
bool displayReachable();

/// Whether a compositing manager draws the screen, so a window may be translucent.
bool compositorRunning();

/// Before the first map: on every desktop, kept out of the task bar and the pager, above others.
void prepareUtilityWindow(QWindow& window);

/// Whether the window has the keyboard focus now, asking the server; none off X11.
std::optional<bool> hasInputFocus(QWindow& window);

/// The window the window manager names active (_NET_ACTIVE_WINDOW, 0 for none), asking the
/// server; none off X11.
std::optional<std::uint32_t> activeWindow();

/// Whether a native event Qt reads (`eventType` "xcb_generic_event_t") tells the window it got the
/// keyboard focus. Unlike Qt's own news of focus, this is never late: Qt waits a moment before it
/// reports a focus lost, and a focus that comes back meanwhile is not reported at all.
bool isFocusIn(const QByteArray& eventType, const void* message, const QWindow& window);

/// Asks the window manager to activate the mapped window as a pager would, which focus-stealing
/// prevention lets through: the user asked for this window. `userTime` is the server time of the
/// input that asked (0: now), so that a window manager can order it among the user's other input.
void requestActivation(QWindow& window, std::uint32_t userTime = 0);

}  // namespace zerlith::ui::x11
