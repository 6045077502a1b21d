#pragma once

#include "platform/sim/desktop_state.hpp"
#include "platform/workspace.hpp"

namespace zerlith::sim {

/// The running applications of a simulated desktop. Any thread.
class SimWorkspace final : public platform::Workspace {
public:
    explicit SimWorkspace(GuardedState& state) : state_(state) {}

    std::vector<platform::RunningApplication> runningApplications() override;
    std::optional<platform::RunningApplication> frontmostApplication() override;
    /// Logs "activate <pid>" when the app runs.
    bool activate(Pid pid) override;
    /// `selfPid`, else kNoSelfPid.
    Pid ownPid() override;
    /// Logs "openURL <url>" and succeeds.
    bool openURL(std::string_view url) override;
    /// None: simulated applications are installed nowhere and have no icons.
    std::optional<std::string> applicationPath(std::string_view bundleID) override;
    std::optional<platform::Icon> iconForFile(std::string_view path) override;

private:
    GuardedState& state_;
};

}  // namespace zerlith::sim
