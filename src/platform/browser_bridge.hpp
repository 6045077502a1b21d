#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/geometry.hpp"

namespace zerlith::platform {

/// One tab as a browser's extension reports it.
struct BrowserTab {
    std::int64_t windowID = 0;  ///< the browser's id of the window
    std::int64_t index = 0;     ///< position in the window, from 1
    bool active = false;        ///< the tab the window shows
    std::string title;
    std::string url;
};

/// A browser whose extension is connected, with its latest tab report.
struct ConnectedBrowser {
    std::string kind;  ///< "chrome" for the Chromium family, "firefox"
    Pid pid = 0;       ///< the browser's process
    std::vector<BrowserTab> tabs;
    std::string name;  ///< the browser's own name ("Brave", "Firefox"); empty when not known
};

/// Browsers reached through their own extension rather than through scripts. Any thread; each
/// call may wait a moment for the browsers to answer, so not on the main thread of the
/// running application.
class BrowserBridge {
public:
    virtual ~BrowserBridge() = default;

    /// Every connected browser with its tabs, the browsers' own order kept.
    virtual std::vector<ConnectedBrowser> connectedBrowsers() = 0;

    /// Asks the browser of `kind` holding this tab to select it and focus its window; true once
    /// the browser says it did.
    virtual bool selectTab(std::string_view kind, std::int64_t windowID, std::int64_t index,
                           std::string_view url) = 0;

    /// A browser said its tabs changed: what was read before may not be answered again.
    virtual void reportsChanged() {}
};

}  // namespace zerlith::platform
