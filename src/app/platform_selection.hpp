#pragma once

#include <memory>
#include <string>
#include <variant>

#include "platform/platform.hpp"

namespace zerlith::app {

/// Where the desktop comes from, read from the environment at start.
struct PlatformChoice {
    const char* desktopFile = nullptr;  ///< ZERLITH_DESKTOP: a simulated desktop file
    const char* display = nullptr;      ///< DISPLAY: an X11 display
};

/// The desktop for this run: the simulated one when a desktop file is named, else the X11 one
/// when a display is named (falling back to the empty desktop, with a warning on standard error,
/// when it cannot be opened), else the empty desktop. A desktop file that cannot be loaded is a
/// usage error: the result is then its one-line message.
std::variant<std::unique_ptr<platform::Platform>, std::string> selectPlatform(
    const PlatformChoice& choice, platform::Clock& clock, platform::Dispatch& dispatch);

}  // namespace zerlith::app
