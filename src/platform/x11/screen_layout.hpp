#pragma once

#include <optional>
#include <vector>

#include "platform/display.hpp"
#include "platform/x11/desktop_snapshot.hpp"

namespace zerlith::x11 {

/// The seam's two coordinate spaces over X's root coordinates (origin at the root's top-left,
/// y down): the top-left space has its origin at the primary monitor's top-left corner, the
/// bottom-left space at that monitor's bottom-left corner, with y growing upward.
class RootSpace {
public:
    explicit RootSpace(Rect primaryMonitor) : primary_(primaryMonitor) {}

    Rect toTopLeft(Rect root) const { return {root.x - primary_.x, root.y - primary_.y, root.width, root.height}; }
    Point rootFromTopLeft(Point point) const { return {point.x + primary_.x, point.y + primary_.y}; }
    Rect toBottomLeft(Rect root) const {
        return {root.x - primary_.x, primary_.maxY() - root.maxY(), root.width, root.height};
    }
    Point toBottomLeft(Point root) const { return {root.x - primary_.x, primary_.maxY() - root.y}; }

private:
    Rect primary_;
};

/// The monitors in the order screens are listed: the primary one first (RandR's primary, else
/// the one at the root's origin, else the top-left-most), then the others from left to right.
/// Without RandR monitors, the root window as one monitor; none when there is no root at all.
std::vector<Monitor> orderedMonitors(const DesktopSnapshot& desktop);

/// Root coordinates relative to the primary monitor (the root itself when there is none).
RootSpace rootSpaceOf(const DesktopSnapshot& desktop);

/// The monitors as screens, in orderedMonitors() order. The visible frame is the work area of
/// the current desktop clipped to the monitor (the whole monitor when they do not meet).
std::vector<platform::Screen> screensOf(const DesktopSnapshot& desktop);

/// The screen that holds most of a root-coordinate rectangle, or none when it meets no screen.
std::optional<platform::Screen> screenHolding(const DesktopSnapshot& desktop, Rect root);

}  // namespace zerlith::x11
