#include "desktop/provider_registry.hpp"
#include "providers/x11/x11_desktop.hpp"

namespace zerlith::registered_providers {

/// Any session with an X11 display, XWayland's included: there only X11 windows are seen.
desktop::Provider x11() {
    return {"x11", [](const desktop::Session& session) { return session.x11(); },
            [](const desktop::Session& session, platform::Clock& clock, platform::Dispatch& dispatch) -> desktop::Connection {
                if (session.display.empty()) return std::string("no X11 display: DISPLAY is not set");
                std::string error;
                auto desktop = zerlith::x11::connectX11Desktop(clock, dispatch, &error, session.display);
                if (!desktop) return error;
                desktop->reachBrowsers();
                return desktop;
            }};
}

}  // namespace zerlith::registered_providers
