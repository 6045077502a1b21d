#pragma once

#include <optional>
#include <string>
#include <vector>

#include "desktop/layout_space.hpp"
#include "platform/display.hpp"

namespace zerlith::x11 {

/// One RandR monitor, in root coordinates.
struct Monitor {
    std::string name;
    Rect frame;
    bool primary = false;
    bool operator==(const Monitor&) const = default;
};

/// The screens of one desktop state, worked out once. Screens are the monitors with the primary
/// one first (RandR's primary, else the one at the root's origin, else the top-left-most), then
/// the others from left to right; without RandR monitors the root window is the one screen, and
/// without a root (no server) there is none. A screen's visible frame is the work area clipped
/// to it (the whole screen when they do not meet).
class ScreenLayout {
public:
    ScreenLayout() = default;
    ScreenLayout(std::vector<Monitor> monitors, std::optional<Rect> workArea, Rect rootFrame);

    const std::vector<platform::Screen>& screens() const { return screens_; }
    /// Root coordinates relative to the primary screen.
    const desktop::LayoutSpace& space() const { return space_; }
    /// The screen that holds most of a root-coordinate rectangle, or none when it meets none.
    std::optional<platform::Screen> screenHolding(Rect root) const;

private:
    std::vector<Rect> rootFrames_;  // of screens_, in root coordinates
    std::vector<platform::Screen> screens_;
    desktop::LayoutSpace space_{Rect{}};
};

}  // namespace zerlith::x11
