#include "system/running_apps.hpp"

#include <algorithm>

#include "platform/platform.hpp"

namespace zerlith::RunningApps {
namespace {

template <typename Predicate>
std::optional<platform::RunningApplication> firstRunning(Predicate matches) {
    auto apps = platform::current().workspace().runningApplications();
    const auto found = std::find_if(apps.begin(), apps.end(), matches);
    if (found == apps.end()) return std::nullopt;
    return std::move(*found);
}

}  // namespace

std::optional<platform::RunningApplication> withPid(Pid pid) {
    return firstRunning([pid](const platform::RunningApplication& app) { return app.pid == pid; });
}

std::optional<platform::RunningApplication> withBundleID(std::string_view bundleID) {
    return firstRunning(
        [bundleID](const platform::RunningApplication& app) { return app.bundleIdentifier == bundleID; });
}

std::unordered_map<Pid, platform::RunningApplication> regularByPid() {
    std::unordered_map<Pid, platform::RunningApplication> apps;
    for (auto& app : platform::current().workspace().runningApplications()) {
        if (app.activationPolicy == platform::ActivationPolicy::regular) apps.emplace(app.pid, std::move(app));
    }
    return apps;
}

}  // namespace zerlith::RunningApps
