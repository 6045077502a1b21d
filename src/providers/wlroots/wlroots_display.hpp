#pragma once

#include "platform/display.hpp"
#include "providers/wlroots/desktop_reading.hpp"

namespace zerlith::wlroots {

/// The outputs as screens, named by their connector ("DP-1"): sway's layout where sway runs,
/// else the core protocol's. The primary screen is the one at the layout's origin, else the
/// first. Any thread.
class WlrootsDisplay final : public platform::Display {
public:
    explicit WlrootsDisplay(DesktopReader& reader) : reader_(reader) {}

    std::vector<platform::Screen> screens() override;
    /// sway's focused output, else the first screen.
    std::optional<platform::Screen> mainScreen() override;
    /// Wayland keeps the pointer from other clients: the middle of the main screen stands in.
    Point pointerLocation() override;

private:
    DesktopReader& reader_;
};

/// Screens for outputs, the primary one first, in their order.
std::vector<platform::Screen> screensOf(const std::vector<LayoutOutput>& outputs);

}  // namespace zerlith::wlroots
