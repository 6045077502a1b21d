#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/tabs.hpp"

namespace zerlith::macos_model {

inline constexpr std::string_view kAutomationSettingsURL =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_Automation";

/// Chrome's and Safari's tabs read by script, guarded by the user's automation consent. A script
/// waits 5 s for a browser that allows it, and 120 s while the system asks the user.
class ScriptedTabs final : public desktop::DesktopTabs {
public:
    bool reaches(BrowserKind browser) const override;
    desktop::TabConsent consent(BrowserKind browser) override;
    std::vector<platform::BrowserTab> list(BrowserKind browser) override;
    /// By script, then through the browser's Window menu, checked by the front tab's URL.
    bool select(ActivationLog& log, Pid browser, const Target& tab,
                const std::optional<platform::Screen>& movingTo) override;
    std::optional<std::string> frontTabTitle(BrowserKind browser) override;
    void openConsentSettings() override;
};

/// Ends each tab record of a listing script's output.
inline constexpr std::string_view kRecordSeparator = "\x1e";
/// Separates the six fields of a record: window id, visible, active tab, tab index, title, URL.
inline constexpr std::string_view kFieldSeparator = "\x1f";

/// The tab-listing script sent to a browser; empty for one no script reaches.
const std::string& listingScript(BrowserKind browser);

/// The script that makes the tab the active one of its browser window.
std::string selectTabScript(const TabRef& tab);

/// Whether the browser's front window now shows the tab, judged by its active tab's URL.
/// Runs a script: blocks up to 2 s, so never on the main thread.
bool frontTabShows(const TabRef& tab);

/// The consent for a code of the automation check: 0 allowed, -1744 not yet asked, anything else
/// denied (refused, or the browser cannot be asked, e.g. it does not run).
desktop::TabConsent consentFromCode(int code);

namespace detail {

/// The tabs of a listing script's output: records of hidden windows and records whose window id
/// or tab index is no integer are skipped, the others kept in order.
std::vector<platform::BrowserTab> parse(std::string_view output);

/// A decimal integer: an optional "+" or "-", then digits only, within 64 bits.
std::optional<std::int64_t> parseInteger(std::string_view text);

}  // namespace detail

}  // namespace zerlith::macos_model
