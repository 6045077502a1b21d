#include "shell/change_observer.hpp"

#include "model/target.hpp"
#include "platform/platform.hpp"
#include "sources/browser_source.hpp"

namespace zerlith {
namespace {

SnapshotStore::Source sourceOf(BrowserKind browser) {
    switch (browser) {
        case BrowserKind::chrome: return SnapshotStore::Source::chrome;
        case BrowserKind::safari: return SnapshotStore::Source::safari;
        case BrowserKind::firefox: return SnapshotStore::Source::firefox;
    }
    return SnapshotStore::Source::chrome;
}

std::optional<Pid> frontmostPid() {
    const auto front = platform::current().workspace().frontmostApplication();
    return front ? std::optional(front->pid) : std::nullopt;
}

}  // namespace

void ChangeObserver::start() { front_ = frontmostPid(); }

void ChangeObserver::handle(const std::vector<platform::DesktopChange>& changes) {
    using Kind = platform::DesktopChange::Kind;
    for (const auto& change : changes) {
        switch (change.kind) {
        case Kind::windowList:
        case Kind::currentDesktop:
            store_.markDirty(SnapshotStore::Source::windows);
            break;
        case Kind::activeWindow:
            frontChanged();
            break;
        case Kind::windowTitle:
            if (const auto owner = ownerOf(change.window))
                if (const auto source = browserSource(*owner)) store_.markDirty(*source);
            break;
        case Kind::windowState:
        case Kind::screens:
            break;  // no source lists these
        }
    }
}

void ChangeObserver::tabsChanged(BrowserKind browser) { store_.markDirty(sourceOf(browser)); }

void ChangeObserver::frontChanged() {
    const auto left = front_;
    front_ = frontmostPid();
    if (!left || left == front_) return;
    if (const auto source = browserSource(*left)) {
        store_.markDirty(*source);
        store_.refreshDirty();
    }
}

std::optional<SnapshotStore::Source> ChangeObserver::browserSource(Pid pid) {
    for (const auto& app : platform::current().workspace().runningApplications()) {
        if (app.pid != pid || !app.bundleIdentifier) continue;
        const auto browser = BrowserSource::browserOfApplication(*app.bundleIdentifier);
        return browser ? std::optional(sourceOf(*browser)) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<Pid> ChangeObserver::ownerOf(std::uint32_t window) {
    for (const auto& record : platform::current().windowServer().windowList()) {
        const auto* number = platform::member<std::int64_t>(record.number);
        const auto* owner = platform::member<std::int64_t>(record.ownerPID);
        if (number && owner && *number == window) return static_cast<Pid>(*owner);
    }
    return std::nullopt;
}

}  // namespace zerlith
