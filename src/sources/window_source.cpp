#include "sources/window_source.hpp"

#include <algorithm>
#include <array>
#include <functional>

#include "desktop/screens.hpp"
#include "desktop/windows.hpp"
#include "platform/platform.hpp"
#include "sources/source_text.hpp"
#include "system/running_apps.hpp"

namespace zerlith::WindowSource {
namespace {

/// Applications listed through their tabs instead of their windows.
constexpr std::array<std::string_view, 2> kTabSourcedBundleIDs = {"com.google.Chrome", "com.apple.Safari"};

/// Whether an application is listed through its tabs instead of its windows: Chrome and Safari;
/// where the browsers are reached through their extension, the browsers connected now (one that
/// runs without it keeps its windows, or it would vanish from the list).
std::function<bool(Pid, std::string_view)> tabSourced() {
    if (auto* bridge = platform::current().browserBridge()) {
        std::vector<Pid> connected;
        for (const auto& browser : bridge->connectedBrowsers()) connected.push_back(browser.pid);
        return [connected](Pid pid, std::string_view) {
            return std::find(connected.begin(), connected.end(), pid) != connected.end();
        };
    }
    return [](Pid, std::string_view bundleID) {
        return std::find(kTabSourcedBundleIDs.begin(), kTabSourcedBundleIDs.end(), bundleID) != kTabSourcedBundleIDs.end();
    };
}

}  // namespace

std::vector<Target> enumerate() {
    const auto apps = RunningApps::regularByPid();
    if (apps.empty()) return {};
    auto windows = platform::current().windows().list();
    if (windows.empty()) return {};
    const auto isTabSourced = tabSourced();
    const auto screens = platform::current().display().screens();
    IdNumbering numbering;
    std::vector<Target> targets;
    targets.reserve(windows.size());
    for (auto& window : windows) {
        const auto app = apps.find(window.pid);
        if (app == apps.end()) continue;
        std::string title = SourceText::cleanWindowTitle(window.title);
        if (title.empty()) continue;
        const std::string appName = app->second.localizedName.value_or("Unknown");
        const std::string bundleID = app->second.bundleIdentifier.value_or("");
        if (isTabSourced(window.pid, bundleID)) continue;

        auto numbered = numbering.take("win:" + bundleID + ":" + title);
        std::optional<std::string> screenName;
        if (auto screen = Screens::screenForAXRect(window.frame, screens)) screenName = std::move(screen->name);

        Target target;
        target.id = std::move(numbered.id);
        target.kind = TargetKind::window;
        target.title = std::move(title);
        target.subtitle = appName;
        target.appName = appName;
        target.bundleID = bundleID;
        target.screenName = std::move(screenName);
        target.window = std::make_shared<const WindowRef>(
            WindowRef{window.id, window.pid, window.frame, window.onCurrentWorkspace, window.raisesDirectly,
                      std::move(window.handle), numbered.repeat});
        targets.push_back(std::move(target));
    }
    return targets;
}

}  // namespace zerlith::WindowSource
