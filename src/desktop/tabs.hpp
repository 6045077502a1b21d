#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/activation_log.hpp"
#include "model/target.hpp"
#include "platform/browser_bridge.hpp"
#include "platform/display.hpp"

namespace zerlith::desktop {

/// How long a browser takes to show a tab it was told to select, before its window is looked
/// for by the tab's title.
inline constexpr double kAfterTabSelectWait = 0.15;

/// Whether the switcher may read a browser's tabs.
enum class TabConsent { allowed, denied, notDetermined };

/// The case name: "allowed", "denied", "notDetermined".
std::string_view rawValue(TabConsent consent);

/// A desktop's own way to browsers' tabs where no extension brings them (scripts on the macOS
/// model). Any thread unless told; list() and frontTabTitle() block while the browser answers,
/// so never call them on the main thread of the running application.
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

    /// Main thread. Starts selecting the tab and raising its window of `browser`'s process,
    /// moving it onto `movingTo` when set; the outcome lands in `log`'s trace, so `log` outlives
    /// the work. False when nothing could be started.
    virtual bool select(ActivationLog& log, Pid browser, const Target& tab,
                        const std::optional<platform::Screen>& movingTo) = 0;

    /// The title of the tab the browser's front window shows; none when it cannot be read.
    virtual std::optional<std::string> frontTabTitle(BrowserKind browser) = 0;

    /// Opens the desktop's settings where the user lets the switcher read tabs.
    virtual void openConsentSettings() = 0;
};

}  // namespace zerlith::desktop
