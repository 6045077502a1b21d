#include "providers/wlroots/wlroots_display.hpp"

#include <algorithm>

#include "desktop/layout_space.hpp"

namespace zerlith::wlroots {
namespace {

/// A screen's id: its connector name, hashed (FNV-1a), so that it stays the same while the
/// output is plugged in, whatever else comes and goes.
std::uint64_t idOf(const std::string& name) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const unsigned char c : name) hash = (hash ^ c) * 1099511628211ull;
    return hash;
}

}  // namespace

std::vector<platform::Screen> screensOf(const std::vector<std::pair<std::string, Rect>>& outputs) {
    if (outputs.empty()) return {};
    const desktop::LayoutSpace space(outputs.front().second);
    std::vector<platform::Screen> screens;
    for (const auto& [name, frame] : outputs) {
        const Rect bottomLeft = space.toBottomLeft(frame);
        screens.push_back({idOf(name), name, bottomLeft, bottomLeft});
    }
    return screens;
}

std::vector<std::pair<std::string, Rect>> WlrootsDisplay::outputs() {
    std::vector<std::pair<std::string, Rect>> outputs;
    if (reader_.sway() != nullptr) {
        for (const SwayOutput& output : reader_.swayOutputs()) outputs.emplace_back(output.name, output.frame);
    } else {
        for (const WaylandOutput& output : reader_.connection().outputs()) outputs.emplace_back(output.name, output.frame);
    }
    const auto atOrigin = std::find_if(outputs.begin(), outputs.end(),
                                       [](const auto& output) { return output.second.x == 0 && output.second.y == 0; });
    if (atOrigin != outputs.end()) std::rotate(outputs.begin(), atOrigin, atOrigin + 1);
    return outputs;
}

std::vector<platform::Screen> WlrootsDisplay::screens() { return screensOf(outputs()); }

std::optional<platform::Screen> WlrootsDisplay::mainScreen() {
    const auto all = screens();
    if (all.empty()) return std::nullopt;
    for (const SwayOutput& output : reader_.swayOutputs()) {
        if (!output.focused) continue;
        const auto focused = std::find_if(all.begin(), all.end(), [&](const auto& screen) { return screen.name == output.name; });
        if (focused != all.end()) return *focused;
    }
    return all.front();
}

Point WlrootsDisplay::pointerLocation() {
    const auto main = mainScreen();
    return main ? Point{main->frame.midX(), main->frame.y + main->frame.absHeight() / 2} : Point{};
}

}  // namespace zerlith::wlroots
