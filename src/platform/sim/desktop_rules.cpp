#include "platform/sim/desktop_rules.hpp"

#include <algorithm>

namespace zerlith::sim {
namespace {

template <class Model>
auto findWindowIn(Model& model, std::int64_t number) -> decltype(&model.windows.front()) {
    const auto found = std::find_if(model.windows.begin(), model.windows.end(),
                                    [&](const Window& window) { return window.number == number; });
    return found == model.windows.end() ? nullptr : &*found;
}

}  // namespace

std::string_view bundleIdentifier(Browser browser) {
    return browser == Browser::chrome ? "com.google.Chrome" : "com.apple.Safari";
}

std::string_view rawName(Browser browser) { return browser == Browser::chrome ? "chrome" : "safari"; }

const App* findApp(const DesktopModel& model, Pid pid) {
    const auto found =
        std::find_if(model.apps.begin(), model.apps.end(), [&](const App& app) { return app.pid == pid; });
    return found == model.apps.end() ? nullptr : &*found;
}

const App* findBrowser(const DesktopModel& model, Browser browser) {
    const auto found = std::find_if(model.apps.begin(), model.apps.end(), [&](const App& app) {
        return app.bundleID == bundleIdentifier(browser);
    });
    return found == model.apps.end() ? nullptr : &*found;
}

const Window* findWindow(const DesktopModel& model, std::int64_t number) {
    return findWindowIn(model, number);
}

Window* findWindow(DesktopModel& model, std::int64_t number) { return findWindowIn(model, number); }

std::vector<const Window*> axWindows(const DesktopModel& model, Pid pid) {
    std::vector<const Window*> result;
    for (const auto& window : model.windows)
        if (window.pid == pid && window.ax) result.push_back(&window);
    return result;
}

const Window* focusedWindow(const DesktopModel& model, Pid pid) {
    for (const Window* window : axWindows(model, pid))
        if (!window->minimized) return window;
    return nullptr;
}

std::optional<std::string> windowMenuTitle(const Window& window) {
    return window.axTitle ? window.axTitle : window.title;
}

std::vector<Menu> menuBar(const DesktopModel& model, const App& app) {
    if (app.menus) return *app.menus;
    Menu windowMenu{"Window", {}};
    for (const auto& window : model.windows)
        if (window.pid == app.pid)
            windowMenu.items.push_back({windowMenuTitle(window).value_or(""), window.number});
    return {windowMenu};
}

const Tab* activeTab(const Window& window) {
    const bool inRange =
        window.activeTab >= 1 && window.activeTab <= static_cast<std::int64_t>(window.tabs.size());
    return inRange ? &window.tabs[static_cast<std::size_t>(window.activeTab - 1)] : nullptr;
}

std::vector<Window*> scriptingWindows(DesktopModel& model, Pid pid) {
    std::vector<Window*> result;
    for (auto& window : model.windows)
        if (window.pid == pid && !window.tabs.empty()) result.push_back(&window);
    return result;
}

const Tab* frontActiveTab(DesktopModel& model, Pid pid) {
    const auto windows = scriptingWindows(model, pid);
    if (windows.empty()) return nullptr;
    return activeTab(*windows.front());
}

void bringToFrontOfApp(DesktopModel& model, std::int64_t number) {
    auto& windows = model.windows;
    const auto window =
        std::find_if(windows.begin(), windows.end(), [&](const Window& w) { return w.number == number; });
    if (window == windows.end()) return;
    const auto appFront =
        std::find_if(windows.begin(), windows.end(), [&](const Window& w) { return w.pid == window->pid; });
    std::rotate(appFront, window, window + 1);
}

void raiseWindow(DesktopModel& model, std::int64_t number) {
    if (Window* window = findWindow(model, number)) {
        window->onscreen = true;
        window->ax = true;
    }
    bringToFrontOfApp(model, number);
}

void activateApp(DesktopModel& model, Pid pid) {
    model.frontmost = pid;
    std::stable_partition(model.windows.begin(), model.windows.end(),
                          [&](const Window& w) { return w.pid == pid; });
}

bool selectTab(Window& window, std::int64_t index) {
    if (index < 1 || index > static_cast<std::int64_t>(window.tabs.size())) return false;
    window.activeTab = index;
    if (window.titleFollowsActiveTab) window.title = window.tabs[static_cast<std::size_t>(index - 1)].title;
    if (window.axTitleFollowsTitle) window.axTitle = window.title;
    return true;
}

}  // namespace zerlith::sim
