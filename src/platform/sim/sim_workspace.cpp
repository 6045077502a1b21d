#include "platform/sim/sim_workspace.hpp"

#include "platform/sim/desktop_rules.hpp"

namespace zerlith::sim {
namespace {

platform::RunningApplication runningApplication(const App& app) {
    return {app.pid, app.name, app.bundleID, app.policy};
}

}  // namespace

std::vector<platform::RunningApplication> SimWorkspace::runningApplications() {
    return state_.with([](const DesktopState& state) {
        std::vector<platform::RunningApplication> result;
        for (const auto& app : state.model.apps) result.push_back(runningApplication(app));
        return result;
    });
}

std::optional<platform::RunningApplication> SimWorkspace::frontmostApplication() {
    return state_.with([](const DesktopState& state) -> std::optional<platform::RunningApplication> {
        const App* app = state.model.frontmost ? findApp(state.model, *state.model.frontmost) : nullptr;
        if (app == nullptr) return std::nullopt;
        return runningApplication(*app);
    });
}

bool SimWorkspace::activate(Pid pid) {
    return state_.with([pid](DesktopState& state) {
        if (findApp(state.model, pid) == nullptr) return false;
        activateApp(state.model, pid);
        state.actionLog.push_back("activate " + std::to_string(pid));
        return true;
    });
}

Pid SimWorkspace::ownPid() {
    return state_.with([](const DesktopState& state) { return state.model.selfPid.value_or(kNoSelfPid); });
}

bool SimWorkspace::openURL(std::string_view url) {
    return state_.with([url](DesktopState& state) {
        state.actionLog.push_back("openURL " + std::string(url));
        return true;
    });
}

std::optional<std::string> SimWorkspace::applicationPath(std::string_view /*bundleID*/) {
    return std::nullopt;
}

std::optional<platform::Icon> SimWorkspace::iconForFile(std::string_view /*path*/) { return std::nullopt; }

}  // namespace zerlith::sim
