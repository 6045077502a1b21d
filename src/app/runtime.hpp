#pragma once

#include <functional>
#include <memory>
#include <string>
#include <variant>

#include "platform/platform.hpp"

namespace zerlith::app {

/// Where the desktop comes from, read from the environment at start, and what runs the queues.
struct DesktopChoice {
    const char* desktopFile = nullptr;  ///< ZERLITH_DESKTOP: a simulated desktop file
    const char* display = nullptr;      ///< DISPLAY: an X11 display
    const char* waylandDisplay = nullptr;  ///< WAYLAND_DISPLAY: a Wayland compositor
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
/// the file asks for virtual time), else the first live desktop this session is of (wlroots
/// when the Wayland compositor lists other applications' windows, X11 when a display is named), else the empty desktop; a live desktop that cannot be reached leaves a
/// warning on standard error. A desktop file that cannot be loaded is a usage error: the result is then its
/// one-line message.
std::variant<Runtime, std::string> startRuntime(const DesktopChoice& choice);

}  // namespace zerlith::app
