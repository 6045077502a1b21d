#pragma once

#include "platform/macos/window_server.hpp"
#include "platform/sim/desktop_state.hpp"

namespace zerlith::sim {

/// The window list of a simulated desktop: its windows front to back. Without screen
/// recording the records carry no titles, as on a real system. Any thread.
class SimWindowServer final : public platform::WindowServer {
public:
    explicit SimWindowServer(GuardedState& state) : state_(state) {}

    bool preflightScreenCaptureAccess() override;
    /// Logs "requestScreenCaptureAccess"; the answer stays what the desktop says.
    bool requestScreenCaptureAccess() override;
    std::vector<platform::WindowRecord> windowList() override;

private:
    GuardedState& state_;
};

}  // namespace zerlith::sim
