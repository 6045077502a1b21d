#include "providers/x11/x11_workspace.hpp"

#include <algorithm>
#include <map>

namespace zerlith::x11 {

using platform::RunningApplication;

std::vector<RunningApplication> X11Workspace::runningApplications() {
    auto desktop = cache_.current(kDefaultReplyTimeout);
    struct Owner {
        const ClientWindow* oldest;
        bool regular;
    };
    std::map<Pid, Owner> owners;
    for (const ClientWindow& window : desktop->windows()) {
        if (!window.pid) continue;
        bool regular = window.layer == 0 && !window.isDesktop;
        auto [owner, added] = owners.try_emplace(*window.pid, Owner{&window, regular});
        if (added) continue;
        if (window.mappingOrder < owner->second.oldest->mappingOrder) owner->second.oldest = &window;
        owner->second.regular |= regular;
    }
    std::vector<std::pair<Pid, Owner>> ordered(owners.begin(), owners.end());
    std::sort(ordered.begin(), ordered.end(),
              [](const auto& a, const auto& b) { return a.second.oldest->mappingOrder < b.second.oldest->mappingOrder; });
    std::vector<const WindowClass*> classes;
    for (const auto& [pid, owner] : ordered) {
        classes.push_back(owner.oldest->windowClass ? &*owner.oldest->windowClass : nullptr);
    }
    auto entries = entries_.forWindowClasses(classes);
    std::vector<RunningApplication> applications;
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        const auto& [pid, owner] = ordered[i];
        applications.push_back(describe(pid, classes[i], owner.regular, entries[i]));
    }
    return applications;
}

std::optional<RunningApplication> X11Workspace::frontmostApplication() {
    auto desktop = cache_.current(kDefaultReplyTimeout);
    const ClientWindow* active = desktop->active();
    if (active == nullptr || !active->pid) return std::nullopt;
    for (RunningApplication& application : runningApplications()) {
        if (application.pid == *active->pid) return application;
    }
    return std::nullopt;
}

bool X11Workspace::activate(Pid pid) { return activation_.activateApplication(pid, kDefaultReplyTimeout); }

}  // namespace zerlith::x11
