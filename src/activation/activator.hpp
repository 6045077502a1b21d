#pragma once

#include <optional>
#include <string>

#include "activation/activation_log.hpp"
#include "model/target.hpp"
#include "platform/display.hpp"

/// Turns a chosen target into the switch the user sees: raises a window, or selects a browser
/// tab and raises its window, optionally moving the window onto a screen. Records no usage;
/// callers record the use before they call activate(). Starts the activation trace afresh.
namespace zerlith::Activator {

/// Main thread. True when an activation was started, false when the target lacks what its kind
/// needs (no WindowRef for a window; no TabRef, or a browser that does not run, for a tab).
/// A window with an accessibility element is raised before this returns; the Window-menu and
/// tab routes finish on a background queue and leave their outcome only in the trace.
/// `movingTo` none: the window stays on its screen. `log` gets the trace and must outlive the
/// background work.
bool activate(ActivationLog& log, const Target& target, const std::optional<platform::Screen>& movingTo);

/// The script that makes the tab the active one of its browser window.
std::string selectTabScript(const TabRef& tab);

/// Whether the browser's front window now shows the tab, judged by its active tab's URL.
/// Runs a script: blocks up to 2 s, so never on the main thread.
bool frontTabShows(const TabRef& tab);

}  // namespace zerlith::Activator
