#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace zerlith::desktop {

/// The session the switcher starts in, as its environment describes it. Read once at start and
/// passed to whoever needs it: nothing else reads these variables. An empty member is a variable
/// that is unset or empty.
struct Session {
    std::string currentDesktop;  ///< XDG_CURRENT_DESKTOP: a colon-separated list ("ubuntu:GNOME")
    std::string sessionType;     ///< XDG_SESSION_TYPE: "x11", "wayland", "tty"
    std::string waylandDisplay;  ///< WAYLAND_DISPLAY: a Wayland compositor's socket
    std::string display;         ///< DISPLAY: an X11 display (XWayland's in a Wayland session)
    std::string swaySocket;      ///< SWAYSOCK: sway's IPC socket
    std::string desktopFile;     ///< ZERLITH_DESKTOP: a simulated desktop file
    std::string provider;        ///< ZERLITH_PROVIDER: the provider the user asks for by name

    /// The session described by `variable`, which gives a variable's value or null when unset.
    static Session read(const std::function<const char*(const char*)>& variable);
    /// The session of this process's environment.
    static Session fromEnvironment();

    /// Whether XDG_CURRENT_DESKTOP names `name` among its entries ("GNOME" in "ubuntu:GNOME").
    bool desktopIs(std::string_view name) const;
    bool wayland() const { return !waylandDisplay.empty(); }
    bool x11() const { return !display.empty(); }
};

}  // namespace zerlith::desktop
