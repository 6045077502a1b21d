#pragma once

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
/// connected and not yet determined while it runs without it. Elsewhere the desktop's own tab
/// reading brings them where it has one. Stateless; any thread, but enumerating waits for the
/// browsers (the desktop may ask the user for consent and wait for the answer), so never call it
/// on the main thread of the running application.
namespace zerlith::BrowserSource {

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

namespace detail {

/// Tab targets from the reports of the connected browsers of one kind, each named after its own
/// browser; a tab with neither title nor URL is left out.
std::vector<Target> fromReports(const std::vector<platform::ConnectedBrowser>& reports, BrowserKind browser);

/// The connected browser's own name ("Brave") when it is a known browser of `browser`'s family,
/// else the family's application name ("Google Chrome").
std::string_view nameOf(const platform::ConnectedBrowser& connected, BrowserKind browser);

/// "host/hint · App", "host · App" without a path hint, or just the application name without a host.
std::string subtitle(std::string_view host, std::string_view url, std::string_view appName);

}  // namespace detail

}  // namespace zerlith::BrowserSource
