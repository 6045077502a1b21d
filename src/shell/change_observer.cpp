#include "shell/change_observer.hpp"

#include <cstdint>
#include <unordered_map>

#include "model/target.hpp"
#include "platform/platform.hpp"
#include "sources/browser_source.hpp"

namespace zerlith {
namespace {

std::optional<Pid> frontmostPid() {
    const auto front = platform::current().workspace().frontmostApplication();
    return front ? std::optional(front->pid) : std::nullopt;
}

/// The source of each running browser, by the browser's pid.
std::unordered_map<Pid, BrowserKind> runningBrowsers() {
    std::unordered_map<Pid, BrowserKind> browsers;
    for (const auto& app : platform::current().workspace().runningApplications()) {
        if (!app.bundleIdentifier) continue;
        if (const auto browser = BrowserSource::browserOfApplication(*app.bundleIdentifier))
            browsers.emplace(app.pid, *browser);
    }
    return browsers;
}

/// The source of every window a browser owns, by window number.
std::unordered_map<std::uint32_t, BrowserKind> browserWindows() {
    const auto browsers = runningBrowsers();
    std::unordered_map<std::uint32_t, BrowserKind> windows;
    if (browsers.empty()) return windows;
    for (const auto& record : platform::current().windowServer().windowList()) {
        const auto* number = platform::member<std::int64_t>(record.number);
        const auto* owner = platform::member<std::int64_t>(record.ownerPID);
        if (number == nullptr || owner == nullptr || *number < 0 || *number > UINT32_MAX) continue;
        if (const auto browser = browsers.find(static_cast<Pid>(*owner)); browser != browsers.end())
            windows.emplace(static_cast<std::uint32_t>(*number), browser->second);
    }
    return windows;
}

}  // namespace

void ChangeObserver::start() { front_ = frontmostPid(); }

void ChangeObserver::handle(const std::vector<platform::DesktopChange>& changes) {
    using Kind = platform::DesktopChange::Kind;
    // Read once for the whole batch, at its first title change: a window renaming itself a
    // thousand times a second must not rebuild the window list each time.
    std::optional<std::unordered_map<std::uint32_t, BrowserKind>> browserWindowsNow;
    for (const auto& change : changes) {
        switch (change.kind) {
        case Kind::windowList:
        case Kind::currentDesktop:
            store_.markDirty(SnapshotStore::kWindows);
            break;
        case Kind::windowGone:
            store_.forgetWindow(change.window);
            break;
        case Kind::activeWindow:
            frontChanged();
            break;
        case Kind::windowTitle:
            if (!browserWindowsNow) browserWindowsNow = browserWindows();
            if (const auto found = browserWindowsNow->find(change.window); found != browserWindowsNow->end())
                store_.markDirty(rawValue(found->second));
            break;
        case Kind::windowState:
        case Kind::screens:
            break;  // no source lists these
        }
    }
}

void ChangeObserver::tabsChanged(BrowserKind browser) { store_.markDirty(rawValue(browser)); }

void ChangeObserver::frontChanged() {
    const auto left = front_;
    front_ = frontmostPid();
    if (!left || left == front_) return;
    const auto browsers = runningBrowsers();
    if (const auto browser = browsers.find(*left); browser != browsers.end()) {
        store_.markDirty(rawValue(browser->second));
        store_.refreshDirty();
    }
}

}  // namespace zerlith
