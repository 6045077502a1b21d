#pragma once

#include <functional>
#include <memory>
#include <string>
#include <variant>

#include "desktop/session.hpp"
#include "platform/platform.hpp"

namespace zerlith::app {

/// Where the desktop comes from, the session read at start, and what runs the queues.
struct DesktopChoice {
    desktop::Session session;
    /// The real-time queues; none: threads (ThreadDispatch). The application passes its event
    /// loop's, and then a desktop file's virtual time is not used.
    std::function<std::unique_ptr<platform::Dispatch>()> makeDispatch;
};

/// The clock, the queues and the desktop of one run. The desktop refers to the other two.
struct Runtime {
    std::unique_ptr<platform::Clock> clock;
    std::unique_ptr<platform::Dispatch> dispatch;
    std::unique_ptr<platform::Platform> desktop;
};

/// Sets up the run: the simulated desktop when a desktop file is named (on a manual clock when
/// the file asks for virtual time), else the live desktop of the first registered provider that
/// detects the session (or the one ZERLITH_PROVIDER names) and connects, else the empty desktop,
/// with one line on standard error that says why. An X11 desktop in a Wayland session warns that
/// only X11 windows are seen. A desktop file that cannot be loaded, or a provider name this build
/// does not have, is a usage error: the result is then its one-line message.
std::variant<Runtime, std::string> startRuntime(const DesktopChoice& choice);

}  // namespace zerlith::app
