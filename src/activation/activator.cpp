#include "activation/activator.hpp"

#include "desktop/tabs.hpp"
#include "desktop/windows.hpp"
#include "platform/platform.hpp"
#include "sources/browser_source.hpp"

namespace zerlith::Activator {
namespace {

std::string_view flag(bool value) { return value ? "true" : "false"; }

/// The tab route through the browser's extension: it selects the tab, then the window that now
/// shows it is raised like any window.
void focusThroughExtension(platform::BrowserBridge& bridge, ActivationLog& log, Pid pid, const TabRef& tab,
                           const std::string& title, const std::optional<platform::Screen>& movingTo) {
    platform::current().dispatch().concurrentQueue().async([&bridge, &log, pid, tab, title, movingTo] {
        const bool selected = bridge.selectTab(rawValue(tab.browser), tab.windowID, tab.tabIndex, tab.url);
        log.appendTrace(selected ? "focusTab: selected" : "focusTab: not selected");
        platform::current().clock().sleep(desktop::kAfterTabSelectWait);
        platform::current().windows().raiseShowing(pid, title, movingTo);
    });
}

bool focusTab(ActivationLog& log, const Target& target, const std::optional<platform::Screen>& movingTo) {
    if (!target.tab) {
        log.appendTrace("focusTab: no TabRef");
        return false;
    }
    const auto& tab = *target.tab;
    const auto browser = BrowserSource::runningApp(tab.browser);
    if (!browser) {
        log.appendTrace("focusTab: " + std::string(bundleIdentifier(tab.browser)) + " not running");
        return false;
    }
    log.appendTrace("focusTab: win=" + std::to_string(tab.windowID) + " tab=" + std::to_string(tab.tabIndex));
    if (auto* bridge = platform::current().browserBridge()) {
        focusThroughExtension(*bridge, log, browser->pid, tab, target.title, movingTo);
        return true;
    }
    auto* tabs = platform::current().tabs();
    if (tabs == nullptr || !tabs->reaches(tab.browser)) {
        log.appendTrace("focusTab: no extension");
        return false;
    }
    return tabs->select(log, browser->pid, target, movingTo);
}

}  // namespace

bool activate(ActivationLog& log, const Target& target, const std::optional<platform::Screen>& movingTo) {
    log.startTrace("kind=" + std::string(target.kind == TargetKind::tab ? "tab" : "window") +
                   " tabRef=" + std::string(flag(target.tab.has_value())) +
                   " windowRef=" + std::string(flag(target.window != nullptr)));
    if (target.kind == TargetKind::tab) return focusTab(log, target, movingTo);
    return target.window && platform::current().windows().raise(log, target, movingTo);
}

}  // namespace zerlith::Activator
