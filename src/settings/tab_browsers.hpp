#pragma once

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
    bool operator==(const TabBrowser&) const = default;
};

/// A row per installed browser, in the known browsers' order, and one per connected browser that
/// was not found installed (started from elsewhere). A browser is connected when a connected
/// browser bears its name; one that bears none (a host from before browsers were named) counts
/// for every browser of its kind.
std::vector<TabBrowser> tabBrowsers(const std::vector<const platform::KnownBrowser*>& installed,
                                    const std::vector<platform::ConnectedBrowser>& connected);

/// The folder holding Zerlith's extension for a family ("chrome" or "firefox"): the installed one,
/// else the build tree's; empty when neither exists.
std::string extensionFolder(std::string_view kind);

}  // namespace zerlith
