#pragma once

#include <optional>

#include "desktop/activation_log.hpp"
#include "model/target.hpp"
#include "platform/display.hpp"

/// Turns a chosen target into the switch the user sees: raises a window, or selects a browser
/// tab and raises its window, optionally moving the window onto a screen, through the desktop's
/// windows. Records no usage; callers record the use before they call activate().
namespace zerlith::Activator {

/// Main thread. Starts the activation trace afresh. True when an activation was started, false
/// when the target lacks what its kind needs (no WindowRef for a window; no TabRef, or a browser
/// that does not run, for a tab). Routes that finish on a background queue leave their outcome
/// only in the trace. `movingTo` none: the window stays on its screen. `log` gets the trace and
/// must outlive the background work.
bool activate(ActivationLog& log, const Target& target, const std::optional<platform::Screen>& movingTo);

}  // namespace zerlith::Activator
