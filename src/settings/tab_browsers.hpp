#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/browser_bridge.hpp"
#include "platform/known_browsers.hpp"

namespace zerlith {

/// A browser row of the settings where tabs come through Zerlith's extension.
struct TabBrowser {
    std::string id;    ///< its first executable's name: "chromium", "brave-browser", "firefox"
    std::string name;  ///< "Chromium", "Brave", "Firefox"
    std::string kind;  ///< the extension's family: "chrome" or "firefox"
    bool connected = false;
    /// The package put the extension where this browser loads it at start: nothing to do by hand.
    bool extensionInstalled = false;
    bool operator==(const TabBrowser&) const = default;
};

/// Where browsers load Zerlith's extension at start when it is installed system-wide.
struct SystemExtensions {
    std::filesystem::path chromium;        ///< Chromium's extension folder
    std::filesystem::path chromiumLoader;  ///< the file that has Chromium's wrapper load that folder
    std::filesystem::path firefox;         ///< Firefox's add-on folder
};

/// Debian's places, whatever this build's prefix: /usr/share/chromium/extensions/zerlith, loaded
/// through /etc/chromium.d/extensions, and Firefox's add-on folder below /usr/share/mozilla/extensions/.
SystemExtensions debianSystemExtensions();

/// A row per installed browser, in the known browsers' order, and one per connected browser that
/// was not found installed (started from elsewhere). A browser is connected when a connected
/// browser bears its name; one that bears none (a host from before browsers were named) counts
/// for every browser of its kind. Chromium and Firefox have the extension installed when
/// `system` holds it (Chromium's also needs its loader); Chrome, Brave and Edge never do.
std::vector<TabBrowser> tabBrowsers(const std::vector<const platform::KnownBrowser*>& installed,
                                    const std::vector<platform::ConnectedBrowser>& connected,
                                    const SystemExtensions& system);

/// The folder holding Zerlith's extension for a family ("chrome" or "firefox"): the installed one,
/// else the build tree's; empty when neither exists.
std::string extensionFolder(std::string_view kind);

}  // namespace zerlith
