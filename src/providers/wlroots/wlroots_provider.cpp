#include "desktop/provider_registry.hpp"
#include "providers/wlroots/wlroots_desktop.hpp"

namespace zerlith::registered_providers {

/// A Wayland session, unless its desktop is one known to keep other applications' windows from
/// Wayland clients (KWin, Mutter): there its own provider comes first, or XWayland's X11 desktop,
/// and the probe's round trips would be spent for nothing.
desktop::Provider wlroots() {
    return {"wlroots",
            [](const desktop::Session& session) {
                return session.wayland() && !session.desktopIs("KDE") && !session.desktopIs("GNOME");
            },
            [](const desktop::Session& session, platform::Clock& clock, platform::Dispatch& dispatch) -> desktop::Connection {
                if (!session.wayland()) return std::string("no Wayland display: WAYLAND_DISPLAY is not set");
                std::string error;
                auto desktop = zerlith::wlroots::connectWlrootsDesktop(session.waylandDisplay, session.swaySocket, clock,
                                                                      dispatch, &error);
                if (!desktop) return error;
                desktop->reachBrowsers();
                return desktop;
            }};
}

}  // namespace zerlith::registered_providers
