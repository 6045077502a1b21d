#pragma once

#include <cmath>
#include <cstdint>

namespace zerlith {

/// Process id, as the platform reports it.
using Pid = std::int32_t;

struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    double width = 0;
    double height = 0;
    bool operator==(const Size&) const = default;
};

/// A rectangle whose width and height may be stored negative; readers that need extents use the
/// magnitudes, which is what every platform reports for a flipped rectangle.
struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    double absWidth() const { return std::fabs(width); }
    double absHeight() const { return std::fabs(height); }
    double maxX() const { return x + absWidth(); }
    double maxY() const { return y + absHeight(); }
    double midX() const { return x + absWidth() / 2; }
    double midY() const { return y + absHeight() / 2; }
    Point origin() const { return {x, y}; }
    Size size() const { return {width, height}; }
    bool operator==(const Rect&) const = default;
};

}  // namespace zerlith
