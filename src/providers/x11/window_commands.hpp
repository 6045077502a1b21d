#pragma once

#include "providers/x11/desktop_snapshot.hpp"
#include "providers/x11/xcb_connection.hpp"

namespace zerlith::x11 {

/// Requests to the window manager (EWMH client messages to the root window), sent as a pager
/// would, so focus-stealing prevention lets them through. Each returns once the request is sent;
/// the window manager carries it out later, and may refuse.

/// Brings a window to the front with the keyboard focus, restoring it when minimized; switches to
/// its desktop first when it is on another one (window managers differ in whether activation
/// alone does that).
void activateWindow(XcbConnection& connection, const DesktopSnapshot& desktop, const ClientWindow& window);

void setFullScreen(XcbConnection& connection, const ClientWindow& window, bool fullScreen);

/// Moves the window so that its frame's top-left corner lands on a root position.
void moveFrame(XcbConnection& connection, const ClientWindow& window, Point rootOrigin);

/// Resizes the window so that its frame, decorations included, gets this size.
void resizeFrame(XcbConnection& connection, const ClientWindow& window, Size frameSize);

}  // namespace zerlith::x11
