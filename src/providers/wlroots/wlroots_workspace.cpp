#include "providers/wlroots/wlroots_workspace.hpp"

#include <map>

namespace zerlith::wlroots {

std::vector<platform::RunningApplication> WlrootsWorkspace::runningApplications() { return applicationsOf(reader_.read()); }

std::vector<platform::RunningApplication> WlrootsWorkspace::applicationsOf(const DesktopReading& reading) {
    std::vector<Pid> pids;
    std::map<Pid, xdg::WindowClass> classes;
    // Back to front, so that applications come in the order their windows were first seen.
    for (auto window = reading.windows.rbegin(); window != reading.windows.rend(); ++window) {
        const std::string& appId = window->toplevel.appId;
        if (classes.try_emplace(window->pid, xdg::WindowClass{appId, appId}).second) pids.push_back(window->pid);
    }
    std::vector<const xdg::WindowClass*> lookups;
    for (const Pid pid : pids) {
        const xdg::WindowClass& windowClass = classes.at(pid);
        lookups.push_back(windowClass.instance.empty() ? nullptr : &windowClass);
    }
    const auto entries = entries_.forWindowClasses(lookups);
    std::vector<platform::RunningApplication> applications;
    for (std::size_t i = 0; i < pids.size(); ++i) applications.push_back(describe(pids[i], lookups[i], true, entries[i]));
    return applications;
}

std::optional<platform::RunningApplication> WlrootsWorkspace::frontmostApplication() {
    const DesktopReading reading = reader_.read();
    const DesktopWindow* active = reading.active();
    if (active == nullptr) return std::nullopt;
    for (platform::RunningApplication& application : applicationsOf(reading)) {
        if (application.pid == active->pid) return application;
    }
    return std::nullopt;
}

bool WlrootsWorkspace::activate(Pid pid) { return windows_.raiseFrontWindow(pid, {}, std::nullopt); }

}  // namespace zerlith::wlroots
