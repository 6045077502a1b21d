#pragma once

#include "platform/display.hpp"
#include "platform/sim/desktop_state.hpp"

namespace zerlith::sim {

/// The screens and pointer of a simulated desktop. A screen's id is its index in the file plus
/// one. Any thread.
class SimDisplay final : public platform::Display {
public:
    explicit SimDisplay(GuardedState& state) : state_(state) {}

    std::vector<platform::Screen> screens() override;
    std::optional<platform::Screen> mainScreen() override;
    Point pointerLocation() override;

private:
    GuardedState& state_;
};

}  // namespace zerlith::sim
