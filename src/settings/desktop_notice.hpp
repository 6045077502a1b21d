#pragma once

#include <string>
#include <string_view>

#include "desktop/capabilities.hpp"

namespace zerlith {

/// What the settings window tells about the desktop the switcher runs on: that a Wayland session
/// which hides other applications' windows leaves only the X11 ones visible, or, where the
/// switcher takes no keys of its own on a Wayland compositor (`takesKeys` false: the compositor
/// gives none, or the user declined sway's bindings), the lines that bind them in its
/// configuration (sway's form: `command` started with --palette and --instant). Empty where the
/// desktop lacks nothing of that.
std::string desktopNotice(const desktop::ProviderInfo& provider, bool waylandSession, std::string_view command,
                          bool takesKeys);

}  // namespace zerlith
