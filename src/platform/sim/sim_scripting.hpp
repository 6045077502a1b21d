#pragma once

#include "platform/clock.hpp"
#include "platform/macos/scripting.hpp"
#include "platform/sim/desktop_state.hpp"

namespace zerlith::sim {

/// The scripting interfaces of the simulated Google Chrome and Safari, answered in process
/// from the desktop state, and the automation consent that guards them. Any thread.
///
/// A script for a browser whose automation is not determined asks the user (the desktop's
/// `consent`) and logs "consent chrome allow" (or safari, deny); the answer holds for the rest
/// of the run. A tab selection logs "script chrome select window <id> tab <index>".
class SimScripting final : public platform::Scripting {
public:
    /// Automation status of a browser the user refused.
    static constexpr int kAutomationDenied = -1743;
    /// Automation status of anything that is not a running browser.
    static constexpr int kNotRunning = -600;

    SimScripting(GuardedState& state, platform::Clock& clock) : state_(state), clock_(clock) {}

    int automationStatus(std::string_view bundleID) override;
    /// None: this desktop answers scripts itself.
    std::optional<std::string> interpreterPath() override;
    /// The answer to an understood script; none when the browser does not run, is denied, fails,
    /// hangs (after `timeout` on the clock) or does not understand the script.
    std::optional<std::string> runInProcess(std::string_view source, double timeout) override;

private:
    GuardedState& state_;
    platform::Clock& clock_;
};

}  // namespace zerlith::sim
