#pragma once

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "model/target.hpp"
#include "platform/clock.hpp"
#include "platform/macos/accessibility.hpp"
#include "platform/platform.hpp"
#include "providers/macos_model/ax.hpp"
#include "providers/macos_model/window_list.hpp"

namespace zerlith {

/// Rectangles in test failures as "(x, y, w × h)".
inline void PrintTo(const Rect& r, std::ostream* out) {
    *out << "(" << r.x << ", " << r.y << ", " << r.width << " × " << r.height << ")";
}

}  // namespace zerlith

namespace zerlith::testing {

/// Short builders for the desktop files of the activation tests.
inline nlohmann::json rect(double x, double y, double w, double h) {
    return {{"x", x}, {"y", y}, {"w", w}, {"h", h}};
}

/// "Built-in" 1440 × 900 at the origin and "External" 1920 × 1080 to its right, bottoms aligned:
/// in the top-left space the external screen spans x 1440 to 3360 and y −180 to 900.
inline nlohmann::json builtInAndExternal() {
    return {{{"name", "Built-in"}, {"frame", rect(0, 0, 1440, 900)}},
            {{"name", "External"}, {"frame", rect(1440, 0, 1920, 1080)}}};
}

inline nlohmann::json window(std::int64_t number, Pid pid, const std::string& title,
                             const nlohmann::json& frame = rect(100, 100, 800, 600)) {
    return {{"number", number}, {"pid", pid}, {"title", title}, {"frame", frame}};
}

inline nlohmann::json app(Pid pid, const std::string& name, const std::string& bundleID) {
    return {{"pid", pid}, {"name", name}, {"bundleID", bundleID}};
}

/// A menu entry that raises a window when pressed.
inline nlohmann::json raising(const std::string& title, std::int64_t number) {
    return {{"title", title}, {"raises", number}};
}

/// A window target as enumeration would build it, with or without an accessibility element.
inline Target windowTarget(Pid pid, const std::string& bundleID, const std::string& title,
                           platform::AXElementRef element = nullptr, std::int64_t duplicateIndex = 0) {
    Target target;
    target.id = "win:" + bundleID + ":" + title;
    target.kind = TargetKind::window;
    target.title = title;
    target.bundleID = bundleID;
    auto ref = std::make_shared<WindowRef>();
    ref->pid = pid;
    ref->isOnCurrentSpace = true;
    if (element) {
        ref->raisesDirectly = true;
        ref->handle = WindowList::handleFor(std::move(element));
    }
    ref->duplicateIndex = duplicateIndex;
    target.window = std::move(ref);
    return target;
}

inline Target tabTarget(BrowserKind browser, std::int64_t windowID, std::int64_t tabIndex, const std::string& title,
                        const std::string& url) {
    Target target;
    target.id = "tab:" + std::string(rawValue(browser)) + ":" + std::to_string(windowID) + ":" + url;
    target.kind = TargetKind::tab;
    target.title = title;
    target.appName = std::string(applicationName(browser));
    target.bundleID = std::string(bundleIdentifier(browser));
    target.tab = TabRef{browser, windowID, tabIndex, url};
    return target;
}

/// Monotonic clock seconds.
inline double elapsed(platform::Clock& clock) { return static_cast<double>(clock.monotonicNanos()) / 1e9; }

/// The accessibility element of the app's window with this title, through the installed platform.
inline platform::AXElementRef axWindow(Pid pid, const std::string& title) {
    const auto windows = AX::elements(platform::currentMacOS().accessibility().application(pid), platform::ax::kWindows);
    for (const auto& element : windows.value_or(std::vector<platform::AXElementRef>{}))
        if (AX::string(element, platform::ax::kTitle) == title) return element;
    return nullptr;
}

/// The installed platform's screen with this name; an empty screen when there is none.
inline platform::Screen screen(const std::string& name) {
    for (const auto& candidate : platform::current().display().screens())
        if (candidate.name == name) return candidate;
    return {};
}

/// The lines of an action log from position `start` on: what happened after a mark.
inline std::vector<std::string> linesFrom(const std::vector<std::string>& log, std::size_t start) {
    return {log.begin() + static_cast<std::ptrdiff_t>(std::min(start, log.size())), log.end()};
}

}  // namespace zerlith::testing
