#include "platform/sim/sim_display.hpp"

namespace zerlith::sim {

std::vector<platform::Screen> SimDisplay::screens() {
    return state_.with([](const DesktopState& state) {
        std::vector<platform::Screen> result;
        for (const auto& screen : state.model.screens)
            result.push_back({result.size() + 1, screen.name, screen.frame, screen.visibleFrame});
        return result;
    });
}

std::optional<platform::Screen> SimDisplay::mainScreen() {
    const auto all = screens();
    const auto index = state_.with([](const DesktopState& state) { return state.model.mainScreen; });
    if (index < 0 || index >= static_cast<std::int64_t>(all.size())) return std::nullopt;
    return all[static_cast<std::size_t>(index)];
}

Point SimDisplay::pointerLocation() {
    return state_.with([](const DesktopState& state) { return state.model.pointer; });
}

}  // namespace zerlith::sim
