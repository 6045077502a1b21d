#include "shell/change_observer.hpp"

#include <cstdint>
#include <unordered_map>

#include "desktop/windows.hpp"
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

/// The browser that owns a window, if a browser does.
std::optional<BrowserKind> browserOwning(std::uint32_t window, const std::unordered_map<Pid, BrowserKind>& browsers) {
    const auto owner = platform::current().windows().ownerOf(window);
    if (!owner) return std::nullopt;
    const auto browser = browsers.find(*owner);
    return browser != browsers.end() ? std::optional(browser->second) : std::nullopt;
}

}  // namespace

void ChangeObserver::start() { front_ = frontmostPid(); }

void ChangeObserver::handle(const std::vector<platform::DesktopChange>& changes) {
    using Kind = platform::DesktopChange::Kind;
    // Read once for the whole batch, at its first title change: a window renaming itself a
    // thousand times a second must not look up its owner each time.
    std::optional<std::unordered_map<Pid, BrowserKind>> browsersNow;
    std::unordered_map<std::uint32_t, std::optional<BrowserKind>> browserOfWindow;
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
        {
            if (!browsersNow) browsersNow = runningBrowsers();
            auto [known, added] = browserOfWindow.try_emplace(change.window);
            if (added && !browsersNow->empty()) known->second = browserOwning(change.window, *browsersNow);
            if (known->second) store_.markDirty(rawValue(*known->second));
            break;
        }
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
