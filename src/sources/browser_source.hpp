#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/target.hpp"
#include "platform/browser_bridge.hpp"
#include "platform/workspace.hpp"

/// Lists the open tabs of the browsers as tab targets and never launches a browser that is not
/// running. Where the desktop offers a browser bridge (the browsers' own extension), tabs,
/// consent and the running browser come from it: a browser is allowed while its extension is
/// connected and not yet determined while it runs without it. Elsewhere one script per browser
/// reads them. Stateless; any thread, but every call that runs a script blocks for up to its
/// limit (5 s, or 120 s while the user is asked for consent), so never call those on the main
/// thread of the running application.
namespace zerlith::BrowserSource {

/// Ends each tab record of a script's output.
inline constexpr std::string_view kRecordSeparator = "\x1e";
/// Separates the six fields of a record: window id, visible, active tab, tab index, title, URL.
inline constexpr std::string_view kFieldSeparator = "\x1f";

/// The browser's running application, or none when it does not run. With a bridge: the first
/// connected browser of the kind, else a running application of the family without the extension.
std::optional<platform::RunningApplication> runningApp(BrowserKind browser);

/// The browser kind an application with this bundle identifier (or desktop entry id) belongs to:
/// the Chromium family to chrome; none for any other application.
std::optional<BrowserKind> browserOfApplication(std::string_view bundleID);

/// The browser's tabs in its own order; empty when it does not run, automation is denied, or the
/// script fails or times out.
std::vector<Target> enumerate(BrowserKind browser);

/// The running browsers (chrome, then safari) whose automation is not allowed now, denied ones
/// included.
std::vector<BrowserKind> pendingConsent();

/// Sends the tab listing to every running browser not yet allowed, so that one never asked shows
/// the system's consent prompt; the tabs are discarded. Blocks while the user answers.
void requestAutomationAccess();

/// The tab-listing script sent to a browser; empty for one that is reached only through its
/// extension.
const std::string& enumerationScript(BrowserKind browser);

namespace detail {

/// Tab targets from a script's output: bad records are skipped, the others kept in order.
std::vector<Target> parse(std::string_view output, BrowserKind browser);

/// Tab targets from the reports of the connected browsers of one kind, through the same checks as
/// script records, each named after its own browser.
std::vector<Target> fromReports(const std::vector<platform::ConnectedBrowser>& reports, BrowserKind browser);

/// The connected browser's own name ("Brave") when it is a known browser of `browser`'s family,
/// else the family's application name ("Google Chrome").
std::string_view nameOf(const platform::ConnectedBrowser& connected, BrowserKind browser);

/// "host/hint · App", "host · App" without a path hint, or just the application name without a host.
std::string subtitle(std::string_view host, std::string_view url, std::string_view appName);

/// A decimal integer: an optional "+" or "-", then digits only, within 64 bits.
std::optional<std::int64_t> parseInteger(std::string_view text);

}  // namespace detail

}  // namespace zerlith::BrowserSource
