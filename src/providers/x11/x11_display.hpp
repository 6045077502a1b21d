#pragma once

#include "platform/display.hpp"
#include "providers/x11/desktop_cache.hpp"

namespace zerlith::x11 {

/// Screens are the RandR monitors (the root window when there are none), the primary one first;
/// frames in the bottom-left space with the primary monitor's bottom-left corner at the origin.
/// Any thread.
class X11Display final : public platform::Display {
public:
    X11Display(XcbConnection& connection, DesktopCache& cache) : connection_(connection), cache_(cache) {}

    std::vector<platform::Screen> screens() override;
    /// The screen holding most of the active window, else the primary screen.
    std::optional<platform::Screen> mainScreen() override;
    /// The pointer; the origin when the server does not say.
    Point pointerLocation() override;

private:
    XcbConnection& connection_;
    DesktopCache& cache_;
};

}  // namespace zerlith::x11
