#include "activation/activator.hpp"

#include "activation/window_menu.hpp"
#include "activation/window_mover.hpp"
#include "platform/platform.hpp"
#include "sources/browser_source.hpp"
#include "sources/source_text.hpp"
#include "system/apple_script_runner.hpp"
#include "system/ax.hpp"

namespace zerlith::Activator {
namespace {

namespace ax = platform::ax;

constexpr double kSelectScriptTimeout = 3.0;
constexpr double kFrontTabScriptTimeout = 2.0;
constexpr double kAfterSelectWait = 0.15;
constexpr std::int64_t kMoveAttempts = 8;
constexpr double kWindowsReadTimeout = 1.0;

std::string_view flag(bool value) { return value ? "true" : "false"; }

void activateApp(Pid pid) { platform::current().workspace().activate(pid); }

/// After a background raise: the move waits on the main queue for the raised window to become
/// the application's focused one.
void scheduleDelayedMove(Pid pid, const std::optional<platform::Screen>& movingTo) {
    if (!movingTo) return;
    platform::current().dispatch().postMain(
        [pid, screen = *movingTo] { WindowMover::moveWhenAvailable(pid, screen, kMoveAttempts); });
}

std::string frontTabURLScript(BrowserKind browser) {
    switch (browser) {
        case BrowserKind::chrome:
            return "tell application \"Google Chrome\" to return URL of active tab of front window";
        case BrowserKind::safari:
            return "tell application \"Safari\" to return URL of current tab of front window";
        case BrowserKind::firefox: return {};
    }
    return {};
}

void raiseDirectly(const platform::AXElementRef& element, Pid pid, const std::optional<platform::Screen>& movingTo) {
    auto& platform = platform::current();
    auto& accessibility = platform.accessibility();
    if (AX::boolean(element, ax::kMinimized) == true) accessibility.setAttribute(element, ax::kMinimized, false);
    accessibility.performAction(element, ax::kRaise);
    accessibility.setAttribute(element, ax::kMain, true);
    activateApp(pid);
    if (movingTo) {
        platform.dispatch().postMain([element, screen = *movingTo] { WindowMover::move(element, screen); });
    }
}

/// Raises the browser window that shows the tab now: the one whose title starts with the tab's.
bool raiseWindowShowing(Pid pid, const std::string& title, const std::optional<platform::Screen>& movingTo) {
    const auto windows = AX::elements(AX::application(pid, kWindowsReadTimeout), ax::kWindows);
    for (const auto& window : windows.value_or(std::vector<platform::AXElementRef>{})) {
        if (!AX::string(window, ax::kTitle).value_or("").starts_with(title)) continue;
        raiseDirectly(window, pid, movingTo);
        return true;
    }
    return false;
}

/// The tab route through the browser's extension: it selects the tab, then the window that now
/// shows it is raised like any window.
void focusThroughExtension(platform::BrowserBridge& bridge, ActivationLog& log, Pid pid, const TabRef& tab,
                           const std::string& title, const std::optional<platform::Screen>& movingTo) {
    platform::current().dispatch().concurrentQueue().async([&bridge, &log, pid, tab, title, movingTo] {
        const bool selected = bridge.selectTab(rawValue(tab.browser), tab.windowID, tab.tabIndex, tab.url);
        log.appendTrace(selected ? "focusTab: selected" : "focusTab: not selected");
        platform::current().clock().sleep(kAfterSelectWait);
        if (raiseWindowShowing(pid, title, movingTo)) return;
        activateApp(pid);
        scheduleDelayedMove(pid, movingTo);
    });
}

bool raiseWindow(ActivationLog& log, const Target& target, const std::optional<platform::Screen>& movingTo) {
    if (!target.window) return false;
    const auto pid = target.window->pid;
    if (target.window->element) {
        raiseDirectly(target.window->element, pid, movingTo);
        return true;
    }
    platform::current().dispatch().concurrentQueue().async(
        [&log, pid, title = target.title, duplicateIndex = target.window->duplicateIndex, movingTo] {
            if (!WindowMenu::raise(log, pid, title, duplicateIndex, {})) activateApp(pid);
            scheduleDelayedMove(pid, movingTo);
        });
    return true;
}

bool focusTab(ActivationLog& log, const Target& target, const std::optional<platform::Screen>& movingTo) {
    if (!target.tab) {
        log.appendTrace("focusTab: no TabRef");
        return false;
    }
    const auto tab = *target.tab;
    const auto browser = BrowserSource::runningApp(tab.browser);
    if (!browser) {
        log.appendTrace("focusTab: " + std::string(bundleIdentifier(tab.browser)) + " not running");
        return false;
    }
    const auto pid = browser->pid;
    log.appendTrace("focusTab: win=" + std::to_string(tab.windowID) + " tab=" +
                            std::to_string(tab.tabIndex));
    if (auto* bridge = platform::current().browserBridge()) {
        focusThroughExtension(*bridge, log, pid, tab, target.title, movingTo);
        return true;
    }
    platform::current().dispatch().concurrentQueue().async([&log, pid, tab, title = target.title, movingTo] {
        AppleScriptRunner::run(selectTabScript(tab), kSelectScriptTimeout);
        platform::current().clock().sleep(kAfterSelectWait);
        if (!WindowMenu::raise(log, pid, title, 0, [&tab] { return frontTabShows(tab); })) activateApp(pid);
        scheduleDelayedMove(pid, movingTo);
    });
    return true;
}

}  // namespace

bool activate(ActivationLog& log, const Target& target, const std::optional<platform::Screen>& movingTo) {
    log.startTrace("kind=" + std::string(target.kind == TargetKind::tab ? "tab" : "window") +
                           " tabRef=" + std::string(flag(target.tab.has_value())) +
                           " windowRef=" + std::string(flag(target.window != nullptr)));
    return target.kind == TargetKind::tab ? focusTab(log, target, movingTo) : raiseWindow(log, target, movingTo);
}

std::string selectTabScript(const TabRef& tab) {
    const auto windowID = std::to_string(tab.windowID);
    const auto tabIndex = std::to_string(tab.tabIndex);
    switch (tab.browser) {
        case BrowserKind::chrome:
            return "tell application \"Google Chrome\"\n    set targetWindow to first window whose id is " +
                   windowID + "\n    set active tab index of targetWindow to " + tabIndex + "\nend tell";
        case BrowserKind::safari:
            return "tell application \"Safari\"\n    set targetWindow to first window whose id is " + windowID +
                   "\n    set current tab of targetWindow to tab " + tabIndex + " of targetWindow\nend tell";
        case BrowserKind::firefox: return {};
    }
    return {};
}

bool frontTabShows(const TabRef& tab) {
    const auto output = AppleScriptRunner::run(frontTabURLScript(tab.browser), kFrontTabScriptTimeout);
    return output && SourceText::trimmed(*output) == tab.url;
}

}  // namespace zerlith::Activator
