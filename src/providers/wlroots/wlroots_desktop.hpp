#pragma once

#include <memory>
#include <string>

#include "providers/xdg/xdg_desktop.hpp"

namespace zerlith::wlroots {

/// The desktop of a Wayland session whose compositor offers foreign-toplevel management (the
/// wlroots family: sway, Hyprland, labwc, river, Wayfire, niri), with sway's IPC added where sway
/// runs. Its parts may be called from any thread. A compositor that goes away leaves an empty
/// desktop behind.
class WlrootsDesktop final : public xdg::XdgDesktop {
public:
    struct Parts;
    WlrootsDesktop(std::unique_ptr<Parts> parts, platform::Clock& clock, platform::Dispatch& dispatch);
    ~WlrootsDesktop() override;

    desktop::ProviderInfo provider() const override;
    desktop::Windows& windows() override;
    platform::Workspace& workspace() override;
    platform::Display& display() override;
    platform::DesktopEvents* desktopEvents() override;
    /// sway's bindings; none on other compositors, where the user binds `zerlith --palette`.
    platform::HotKeys* hotKeys() override;

private:
    std::unique_ptr<Parts> parts_;
};

/// Connects to the Wayland display `waylandDisplay`, and to sway's IPC at `swaySocket` unless it
/// is empty. Null when the display cannot be reached or does not list other applications' windows
/// (`error` says which).
std::unique_ptr<WlrootsDesktop> connectWlrootsDesktop(const std::string& waylandDisplay, const std::string& swaySocket,
                                                      platform::Clock& clock, platform::Dispatch& dispatch,
                                                      std::string* error);

}  // namespace zerlith::wlroots
