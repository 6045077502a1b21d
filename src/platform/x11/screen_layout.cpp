#include "platform/x11/screen_layout.hpp"

#include <algorithm>
#include <string>

namespace zerlith::x11 {
namespace {

/// The name of the one screen of a server without RandR monitors.
constexpr const char* kRootScreenName = "Screen";

std::optional<Rect> intersection(Rect a, Rect b) {
    double x = std::max(a.x, b.x);
    double y = std::max(a.y, b.y);
    double maxX = std::min(a.maxX(), b.maxX());
    double maxY = std::min(a.maxY(), b.maxY());
    if (maxX <= x || maxY <= y) return std::nullopt;
    return Rect{x, y, maxX - x, maxY - y};
}

double area(const std::optional<Rect>& rect) { return rect ? rect->absWidth() * rect->absHeight() : 0; }

/// FNV-1a: stable across runs, so a screen keeps its id while its name stays.
std::uint64_t stableHash(const std::string& text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char byte : text) hash = (hash ^ byte) * 1099511628211ull;
    return hash;
}

std::uint64_t screenId(const Monitor& monitor) {
    if (!monitor.name.empty()) return stableHash(monitor.name);
    const Rect& frame = monitor.frame;
    return stableHash(std::to_string(frame.x) + "," + std::to_string(frame.y) + "," + std::to_string(frame.width) +
                      "," + std::to_string(frame.height));
}

}  // namespace

std::vector<Monitor> orderedMonitors(const DesktopSnapshot& desktop) {
    std::vector<Monitor> monitors = desktop.monitors();
    if (monitors.empty()) {
        Rect root = desktop.rootFrame();
        if (root.absWidth() <= 0 || root.absHeight() <= 0) return {};
        return {Monitor{kRootScreenName, root, true}};
    }
    auto leftToRight = [](const Monitor& a, const Monitor& b) {
        return a.frame.x != b.frame.x ? a.frame.x < b.frame.x : a.frame.y < b.frame.y;
    };
    std::stable_sort(monitors.begin(), monitors.end(), leftToRight);
    auto primary = std::find_if(monitors.begin(), monitors.end(), [](const Monitor& m) { return m.primary; });
    if (primary == monitors.end()) {
        primary = std::find_if(monitors.begin(), monitors.end(),
                               [](const Monitor& m) { return m.frame.x == 0 && m.frame.y == 0; });
    }
    if (primary == monitors.end()) {
        primary = std::min_element(monitors.begin(), monitors.end(), [](const Monitor& a, const Monitor& b) {
            return a.frame.y != b.frame.y ? a.frame.y < b.frame.y : a.frame.x < b.frame.x;
        });
    }
    std::rotate(monitors.begin(), primary, primary + 1);
    return monitors;
}

RootSpace rootSpaceOf(const DesktopSnapshot& desktop) {
    auto monitors = orderedMonitors(desktop);
    return RootSpace(monitors.empty() ? desktop.rootFrame() : monitors.front().frame);
}

std::vector<platform::Screen> screensOf(const DesktopSnapshot& desktop) {
    auto monitors = orderedMonitors(desktop);
    if (monitors.empty()) return {};
    RootSpace space(monitors.front().frame);
    std::vector<platform::Screen> screens;
    for (const Monitor& monitor : monitors) {
        std::optional<Rect> visible = desktop.workArea() ? intersection(*desktop.workArea(), monitor.frame) : std::nullopt;
        screens.push_back(platform::Screen{screenId(monitor), monitor.name, space.toBottomLeft(monitor.frame),
                                           space.toBottomLeft(visible.value_or(monitor.frame))});
    }
    return screens;
}

std::optional<platform::Screen> screenHolding(const DesktopSnapshot& desktop, Rect root) {
    auto monitors = orderedMonitors(desktop);
    auto screens = screensOf(desktop);
    std::optional<platform::Screen> best;
    double bestArea = 0;
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        double shared = area(intersection(monitors[i].frame, root));
        if (shared > bestArea) {
            bestArea = shared;
            best = screens[i];
        }
    }
    return best;
}

}  // namespace zerlith::x11
