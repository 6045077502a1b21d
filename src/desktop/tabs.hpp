#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/target.hpp"
#include "platform/browser_bridge.hpp"

namespace zerlith::desktop {

/// Whether the switcher may read a browser's tabs.
enum class TabConsent { allowed, denied, notDetermined };

/// The case name: "allowed", "denied", "notDetermined".
std::string_view rawValue(TabConsent consent);

/// A desktop's own way to browsers' tabs where no extension brings them (scripts on the macOS
/// model). Any thread; list() and frontTabTitle() block while the browser answers, so never call
/// them on the main thread of the running application.
class DesktopTabs {
public:
    virtual ~DesktopTabs() = default;

    /// Whether this desktop reaches the tabs of `browser` at all.
    virtual bool reaches(BrowserKind browser) const = 0;

    /// Whether the user lets the switcher read them, without asking; denied for a browser that
    /// cannot be asked (one that does not run).
    virtual TabConsent consent(BrowserKind browser) = 0;

    /// The tabs of the browser's visible windows in its order, numbered from 1 in each window;
    /// empty when it does not run, is denied or fails to answer. Where the user was never asked,
    /// the desktop asks now and waits for the answer.
    virtual std::vector<platform::BrowserTab> list(BrowserKind browser) = 0;

    /// The title of the tab the browser's front window shows; none when it cannot be read.
    virtual std::optional<std::string> frontTabTitle(BrowserKind browser) = 0;

    /// Opens the desktop's settings where the user lets the switcher read tabs.
    virtual void openConsentSettings() = 0;
};

}  // namespace zerlith::desktop
