#include "desktop/screens.hpp"

#include <algorithm>
#include <vector>

#include "platform/platform.hpp"

namespace zerlith::Screens {
namespace {

std::vector<Screen> allScreens() { return platform::current().display().screens(); }

std::optional<Screen> primaryOf(const std::vector<Screen>& screens) {
    if (screens.empty()) return std::nullopt;
    auto atOrigin = std::find_if(screens.begin(), screens.end(),
                                 [](const Screen& s) { return s.frame.x == 0 && s.frame.y == 0; });
    return atOrigin != screens.end() ? *atOrigin : screens.front();
}

bool contains(const Rect& frame, const Point& point) {
    return point.x >= frame.x && point.x < frame.maxX() && point.y >= frame.y && point.y < frame.maxY();
}

double intersectionArea(const Rect& a, const Rect& b) {
    const double width = std::min(a.maxX(), b.maxX()) - std::max(a.x, b.x);
    const double height = std::min(a.maxY(), b.maxY()) - std::max(a.y, b.y);
    return width > 0 && height > 0 ? width * height : 0;
}

}  // namespace

Rect convertSpace(const Rect& rect, const std::optional<Screen>& primaryScreen) {
    if (!primaryScreen) return rect;
    Rect converted = rect;
    converted.y = primaryScreen->frame.maxY() - rect.maxY();
    return converted;
}

std::optional<Screen> primary() { return primaryOf(allScreens()); }

std::optional<Screen> active() {
    auto& display = platform::current().display();
    const Point pointer = display.pointerLocation();
    for (const Screen& screen : display.screens()) {
        if (contains(screen.frame, pointer)) return screen;
    }
    return display.mainScreen();
}

std::optional<std::string> activeName() {
    auto screen = active();
    return screen ? std::optional(std::move(screen->name)) : std::nullopt;
}

std::optional<Screen> screenForAXRect(const Rect& rect) { return screenForAXRect(rect, allScreens()); }

std::optional<Screen> screenForAXRect(const Rect& rect, const std::vector<Screen>& screens) {
    const Rect converted = convertSpace(rect, primaryOf(screens));
    const Screen* best = nullptr;
    double bestArea = 0;
    for (const Screen& screen : screens) {
        const double area = intersectionArea(screen.frame, converted);
        if (area > bestArea) {
            best = &screen;
            bestArea = area;
        }
    }
    if (best == nullptr) return std::nullopt;
    return *best;
}

std::optional<Screen> neighbor(const Screen& screen, Direction direction) {
    const double mid = screen.frame.midX();
    const auto screens = allScreens();
    const Screen* best = nullptr;
    for (const Screen& candidate : screens) {
        if (candidate == screen) continue;
        const double candidateMid = candidate.frame.midX();
        const bool onSide = direction == Direction::right ? candidateMid > mid : candidateMid < mid;
        if (!onSide) continue;
        // Strict comparison: among equally near screens the first in the list stays.
        const bool nearer = best == nullptr || (direction == Direction::right
                                                    ? candidateMid < best->frame.midX()
                                                    : candidateMid > best->frame.midX());
        if (nearer) best = &candidate;
    }
    if (best == nullptr) return std::nullopt;
    return *best;
}

Rect placement(const Rect& windowAXFrame, const std::optional<Screen>& from, const Screen& to) {
    const auto primaryScreen = primary();
    const Rect dst = convertSpace(to.visibleFrame, primaryScreen);
    const Rect& w = windowAXFrame;

    Rect placed;
    if (!from) {
        placed = {dst.midX() - w.absWidth() / 2, dst.midY() - w.absHeight() / 2, w.absWidth(), w.absHeight()};
    } else {
        const Rect src = convertSpace(from->visibleFrame, primaryScreen);
        // A floor of 1 keeps a degenerate source frame from dividing by zero.
        const auto acrossX = [&](double length) {
            return length / std::max(1.0, src.absWidth()) * dst.absWidth();
        };
        const auto acrossY = [&](double length) {
            return length / std::max(1.0, src.absHeight()) * dst.absHeight();
        };
        placed = {dst.x + acrossX(w.x - src.x), dst.y + acrossY(w.y - src.y), acrossX(w.absWidth()),
                  acrossY(w.absHeight())};
    }

    placed.width = std::min(placed.width, dst.absWidth());
    placed.height = std::min(placed.height, dst.absHeight());
    placed.x = std::min(std::max(placed.x, dst.x), dst.maxX() - placed.width);
    placed.y = std::min(std::max(placed.y, dst.y), dst.maxY() - placed.height);
    return placed;
}

}  // namespace zerlith::Screens
