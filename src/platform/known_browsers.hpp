#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "platform/geometry.hpp"

/// The browsers of Linux that Zerlith's extension serves, each by its own name: where they keep
/// their profile, what their executables and processes are called. Any thread.
namespace zerlith::platform {

struct KnownBrowser {
    std::string_view name;     ///< as its users know it: "Chromium", "Google Chrome", "Brave", …
    std::string_view kind;     ///< the extension's family: "chrome" (Chromium's) or "firefox"
    std::array<std::string_view, 3> executables;  ///< its names on PATH and as a process; "" unused
    bool underConfig;          ///< profile folder below $XDG_CONFIG_HOME, else below $HOME
    std::string_view profile;  ///< the browser's own folder, there when it has run
    std::string_view hosts;    ///< its native-messaging host folder, below the profile folder
    std::string_view vendorFolder;  ///< its vendor's folder: any executable below it is it; "" none
};

// Chromium's own builds (snap, flatpak, a build tree) call their executable "chrome", as Google
// Chrome does in its vendor's folder.
inline constexpr KnownBrowser kKnownBrowsers[] = {
    {"Chromium", "chrome", {"chromium", "chromium-browser", "chrome"}, true, "chromium", "NativeMessagingHosts", ""},
    {"Google Chrome", "chrome", {"google-chrome", "google-chrome-stable", ""}, true, "google-chrome",
     "NativeMessagingHosts", "/opt/google/"},
    {"Brave", "chrome", {"brave-browser", "brave", ""}, true, "BraveSoftware/Brave-Browser", "NativeMessagingHosts",
     "/opt/brave.com/"},
    {"Microsoft Edge", "chrome", {"microsoft-edge", "microsoft-edge-stable", "msedge"}, true, "microsoft-edge",
     "NativeMessagingHosts", "/opt/microsoft/"},
    {"Firefox", "firefox", {"firefox", "firefox-esr", "firefox-bin"}, false, ".mozilla", "native-messaging-hosts", ""},
};

/// The known browser whose executable or process is called `name`: an executable in its vendor's
/// folder, else by the path's last part; none for any other name.
const KnownBrowser* knownBrowserNamed(std::string_view name);

/// The known browsers with an executable in a folder of `path` (PATH's form: folders separated
/// by ':'), in the table's order.
std::vector<const KnownBrowser*> installedBrowsers(std::string_view path);

/// The known browser running as process `pid`, from its executable (/proc/PID/exe), else its
/// command name (/proc/PID/comm); none when neither names one.
const KnownBrowser* knownBrowserOfProcess(Pid pid);

}  // namespace zerlith::platform
