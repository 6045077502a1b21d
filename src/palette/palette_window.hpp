#pragma once

#include "platform/geometry.hpp"

namespace zerlith {

/// The window operations the palette controller needs. The Qt palette window implements them;
/// tests use a fake that records them. Main thread only.
class PaletteWindow {
public:
    virtual ~PaletteWindow() = default;

    virtual bool isVisible() const = 0;
    /// Moves and sizes the window; `frame` is in the bottom-left screen space.
    virtual void setFrame(const Rect& frame) = 0;
    /// Shows the window in front of every other and gives it the keyboard, activating this
    /// application.
    virtual void showAndFocus() = 0;
    virtual void hide() = 0;
};

}  // namespace zerlith
