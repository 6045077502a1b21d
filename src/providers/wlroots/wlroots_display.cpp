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

std::vector<platform::Screen> screensOf(const std::vector<LayoutOutput>& outputs) {
    if (outputs.empty()) return {};
    const desktop::LayoutSpace space(outputs.front().frame);
    std::vector<platform::Screen> screens;
    for (const LayoutOutput& output : outputs) {
        const Rect bottomLeft = space.toBottomLeft(output.frame);
        screens.push_back({idOf(output.name), output.name, bottomLeft, bottomLeft});
    }
    return screens;
}

std::vector<platform::Screen> WlrootsDisplay::screens() { return screensOf(reader_.outputs()); }

std::optional<platform::Screen> WlrootsDisplay::mainScreen() {
    const auto outputs = reader_.outputs();
    if (outputs.empty()) return std::nullopt;
    const auto focused = std::find_if(outputs.begin(), outputs.end(), [](const LayoutOutput& output) { return output.focused; });
    return screensOf(outputs).at(focused != outputs.end() ? static_cast<std::size_t>(focused - outputs.begin()) : 0);
}

Point WlrootsDisplay::pointerLocation() {
    const auto main = mainScreen();
    return main ? Point{main->frame.midX(), main->frame.y + main->frame.absHeight() / 2} : Point{};
}

}  // namespace zerlith::wlroots
