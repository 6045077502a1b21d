#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/geometry.hpp"

namespace zerlith::platform {

/// One screen. Frames are in the bottom-left space: origin at the primary screen's bottom-left
/// corner, y upward. Two screens are the same screen when their ids are equal.
struct Screen {
    std::uint64_t id = 0;
    std::string name;  ///< the localized name
    Rect frame;
    Rect visibleFrame;  ///< the frame less menu bars, docks and panels

    friend bool operator==(const Screen& a, const Screen& b) { return a.id == b.id; }
};

/// Screens and the pointer. Any thread.
class Display {
public:
    virtual ~Display() = default;

    /// The screens, in the platform's order.
    virtual std::vector<Screen> screens() = 0;
    /// The screen with the key window, or none when there are no screens.
    virtual std::optional<Screen> mainScreen() = 0;
    /// The pointer, in the bottom-left space.
    virtual Point pointerLocation() = 0;
};

}  // namespace zerlith::platform
