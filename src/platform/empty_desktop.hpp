#pragma once

#include "desktop/windows.hpp"
#include "platform/platform.hpp"

namespace zerlith::platform {

/// A desktop with nothing on it: no screens, no applications, no windows, no scripts. Chosen
/// when the process has neither a simulated desktop nor a display to talk to.
class EmptyDesktop final : public Platform,
                           Accessibility,
                           WindowServer,
                           Workspace,
                           Display,
                           Scripting,
                           desktop::Windows {
public:
    EmptyDesktop(Clock& clock, Dispatch& dispatch) : clock_(clock), dispatch_(dispatch) {}

    desktop::ProviderInfo provider() const override { return {"empty", {}}; }
    desktop::Windows& windows() override { return *this; }
    Accessibility& accessibility() override { return *this; }
    WindowServer& windowServer() override { return *this; }
    Workspace& workspace() override { return *this; }
    Display& display() override { return *this; }
    Scripting& scripting() override { return *this; }
    Clock& clock() override { return clock_; }
    Dispatch& dispatch() override { return dispatch_; }

private:
    std::vector<desktop::Window> list() override { return {}; }
    std::optional<desktop::FocusedWindow> focusedWindow(Pid) override { return std::nullopt; }
    bool raise(ActivationLog&, const Target&, const std::optional<Screen>&) override { return false; }
    void raiseShowing(Pid, const std::string&, const std::optional<Screen>&) override {}
    bool selectTab(ActivationLog&, Pid, const Target&, const std::optional<Screen>&) override { return false; }

    bool isProcessTrusted() override { return true; }
    void promptForTrust() override {}
    AXElementRef application(Pid) override { return std::make_shared<AXElement>(); }
    void setMessagingTimeout(const AXElementRef&, double) override {}
    AXReading copyAttribute(const AXElementRef&, std::string_view) override { return {AXError::failure, {}}; }
    AXError setAttribute(const AXElementRef&, std::string_view, const AXValue&) override {
        return AXError::failure;
    }
    AXError performAction(const AXElementRef&, std::string_view) override { return AXError::failure; }

    bool preflightScreenCaptureAccess() override { return true; }
    bool requestScreenCaptureAccess() override { return true; }
    std::vector<WindowRecord> windowList() override { return {}; }

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

    int automationStatus(std::string_view) override { return kNotRunningStatus; }
    std::optional<std::string> interpreterPath() override { return std::nullopt; }
    std::optional<std::string> runInProcess(std::string_view, double) override { return std::nullopt; }

    /// What the automation check answers for an application that does not run.
    static constexpr int kNotRunningStatus = -600;

    Clock& clock_;
    Dispatch& dispatch_;
};

}  // namespace zerlith::platform
