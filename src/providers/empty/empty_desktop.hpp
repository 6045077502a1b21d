#pragma once

#include "desktop/windows.hpp"
#include "platform/platform.hpp"

namespace zerlith::platform {

/// A desktop with nothing on it: no screens, no applications, no windows. Chosen
/// when the process has neither a simulated desktop nor a display to talk to.
class EmptyDesktop final : public Platform, Workspace, Display, desktop::Windows {
public:
    EmptyDesktop(Clock& clock, Dispatch& dispatch) : clock_(clock), dispatch_(dispatch) {}

    desktop::ProviderInfo provider() const override { return {"empty", {}}; }
    desktop::Windows& windows() override { return *this; }
    Workspace& workspace() override { return *this; }
    Display& display() override { return *this; }
    Clock& clock() override { return clock_; }
    Dispatch& dispatch() override { return dispatch_; }

private:
    std::vector<desktop::Window> list() override { return {}; }
    std::optional<desktop::FocusedWindow> focusedWindow(Pid, double) override { return std::nullopt; }
    std::optional<Pid> ownerOf(std::uint32_t) override { return std::nullopt; }
    bool raise(ActivationLog&, const Target&, const std::optional<Screen>&) override { return false; }
    void raiseShowing(Pid, const std::string&, const std::optional<Screen>&) override {}

    std::vector<RunningApplication> runningApplications() override { return {}; }
    std::optional<RunningApplication> frontmostApplication() override { return std::nullopt; }
    bool activate(Pid) override { return false; }
    Pid ownPid() override { return 0; }
    bool openURL(std::string_view) override { return false; }
    std::optional<std::string> applicationPath(std::string_view) override { return std::nullopt; }
    std::optional<Icon> iconForFile(std::string_view) override { return std::nullopt; }

    std::vector<Screen> screens() override { return {}; }
    std::optional<Screen> mainScreen() override { return std::nullopt; }
    Point pointerLocation() override { return {}; }

    Clock& clock_;
    Dispatch& dispatch_;
};

}  // namespace zerlith::platform
