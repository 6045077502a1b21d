#pragma once

#include "platform/geometry.hpp"

namespace zerlith::desktop {

/// The seam's two coordinate spaces over a desktop's own layout coordinates (origin at the
/// layout's top-left, y down, as X's root window and Wayland compositors' layouts have them): the
/// top-left space has its origin at the primary screen's top-left corner, the bottom-left space
/// at that screen's bottom-left corner, with y growing upward.
class LayoutSpace {
public:
    explicit LayoutSpace(Rect primaryScreen) : primary_(primaryScreen) {}

    Rect toTopLeft(Rect layout) const { return {layout.x - primary_.x, layout.y - primary_.y, layout.width, layout.height}; }
    Point layoutFromTopLeft(Point point) const { return {point.x + primary_.x, point.y + primary_.y}; }
    Rect toBottomLeft(Rect layout) const {
        return {layout.x - primary_.x, primary_.maxY() - layout.maxY(), layout.width, layout.height};
    }
    Point toBottomLeft(Point layout) const { return {layout.x - primary_.x, primary_.maxY() - layout.y}; }

private:
    Rect primary_;
};

}  // namespace zerlith::desktop
