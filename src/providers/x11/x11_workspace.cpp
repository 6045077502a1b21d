#include "providers/x11/x11_workspace.hpp"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <thread>

extern char** environ;

namespace zerlith::x11 {
namespace {

using platform::ActivationPolicy;
using platform::RunningApplication;

std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

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
        applications.push_back(describe(pid, *owner.oldest, owner.regular, entries[i]));
    }
    return applications;
}

RunningApplication X11Workspace::describe(Pid pid, const ClientWindow& oldest, bool regular,
                                          const std::optional<DesktopEntry>& entry) {
    RunningApplication application;
    application.pid = pid;
    application.activationPolicy = regular ? ActivationPolicy::regular : ActivationPolicy::accessory;
    if (!oldest.windowClass) return application;
    if (entry) {
        application.localizedName = entry->name;
        application.bundleIdentifier = entry->id;
        return application;
    }
    const WindowClass& windowClass = *oldest.windowClass;
    const std::string& name = windowClass.className.empty() ? windowClass.instance : windowClass.className;
    application.localizedName = name;
    application.bundleIdentifier = lowercase(name);
    return application;
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

Pid X11Workspace::ownPid() { return static_cast<Pid>(::getpid()); }

bool X11Workspace::openURL(std::string_view url) {
    std::string argument(url);
    char program[] = "xdg-open";
    char* arguments[] = {program, argument.data(), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, program, nullptr, nullptr, arguments, environ) != 0) return false;
    // The opener may keep running as the opened application; reap it whenever it ends.
    std::thread([child] { ::waitpid(child, nullptr, 0); }).detach();
    return true;
}

std::optional<std::string> X11Workspace::applicationPath(std::string_view bundleID) {
    auto entry = entries_.withId(bundleID);
    if (!entry) return std::nullopt;
    return entry->path;
}

std::optional<platform::Icon> X11Workspace::iconForFile(std::string_view path) {
    auto entry = entries_.atPath(path);
    if (!entry) return std::nullopt;
    auto file = entries_.iconFile(*entry);
    if (!file) return std::nullopt;
    return platform::Icon{*file};
}

}  // namespace zerlith::x11
