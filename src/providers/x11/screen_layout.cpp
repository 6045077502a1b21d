#include "providers/x11/screen_layout.hpp"

#include <algorithm>

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

std::vector<Monitor> ordered(std::vector<Monitor> monitors, Rect rootFrame) {
    if (monitors.empty()) {
        if (rootFrame.absWidth() <= 0 || rootFrame.absHeight() <= 0) return {};
        return {Monitor{kRootScreenName, rootFrame, true}};
    }
    std::stable_sort(monitors.begin(), monitors.end(), [](const Monitor& a, const Monitor& b) {
        return a.frame.x != b.frame.x ? a.frame.x < b.frame.x : a.frame.y < b.frame.y;
    });
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

}  // namespace

ScreenLayout::ScreenLayout(std::vector<Monitor> monitors, std::optional<Rect> workArea, Rect rootFrame) {
    auto screenMonitors = ordered(std::move(monitors), rootFrame);
    if (screenMonitors.empty()) return;
    space_ = desktop::LayoutSpace(screenMonitors.front().frame);
    for (const Monitor& monitor : screenMonitors) {
        std::optional<Rect> visible = workArea ? intersection(*workArea, monitor.frame) : std::nullopt;
        rootFrames_.push_back(monitor.frame);
        screens_.push_back(platform::Screen{screenId(monitor), monitor.name, space_.toBottomLeft(monitor.frame),
                                            space_.toBottomLeft(visible.value_or(monitor.frame))});
    }
}

std::optional<platform::Screen> ScreenLayout::screenHolding(Rect root) const {
    std::optional<platform::Screen> best;
    double bestArea = 0;
    for (std::size_t i = 0; i < screens_.size(); ++i) {
        auto shared = intersection(rootFrames_[i], root);
        double area = shared ? shared->width * shared->height : 0;
        if (area > bestArea) {
            bestArea = area;
            best = screens_[i];
        }
    }
    return best;
}

}  // namespace zerlith::x11
