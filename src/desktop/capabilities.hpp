#pragma once

#include <string_view>

namespace zerlith::desktop {

/// What a kind of desktop lets the switcher do. The core, the settings window and the dump read
/// these instead of asking which desktop runs.
struct Capabilities {
    bool moveToScreen = false;       ///< a window can be sent to another screen
    bool workspaces = false;         ///< windows on other workspaces are known and reachable
    bool globalKeys = false;         ///< hot keys are taken by the switcher itself
    bool typedAheadCapture = false;  ///< keys typed before the palette shows are kept for it
    bool tabs = false;               ///< browsers' tabs can be listed and selected
    bool permissions = false;        ///< the user grants access (accessibility, screen recording)
};

/// The windowing system the switcher's own windows must use to be shown and focused above the
/// desktop's: an X11 desktop's windows do not stack with a Wayland client's, nor the other way.
enum class WindowSystem { any, x11, wayland };

/// The desktop provider that runs, by the name the dump reports, and what it can do.
struct ProviderInfo {
    std::string_view name;  ///< "macos_model", "wlroots", "x11", "empty"
    Capabilities capabilities;
    WindowSystem windowSystem = WindowSystem::any;
    /// The keys that bring a window here, as the desktop's users write them: Qt gives the
    /// palette's command key as Ctrl on Linux; the macOS model keeps its glyphs.
    std::string_view bringHereKeys = "Ctrl+↩";
};

}  // namespace zerlith::desktop
