#pragma once

#include "providers/x11/desktop_cache.hpp"
#include "providers/x11/window_activation.hpp"
#include "providers/xdg/xdg_workspace.hpp"

namespace zerlith::x11 {

/// Running applications are the processes that own client windows, in the order their oldest
/// window was mapped. Those with a normal or dialog window are regular, the others (docks,
/// panels) accessory, each described by the WM_CLASS of its oldest window. Any thread.
class X11Workspace final : public xdg::XdgWorkspace {
public:
    X11Workspace(DesktopCache& cache, xdg::DesktopEntries& entries, WindowActivation& activation)
        : XdgWorkspace(entries), cache_(cache), activation_(activation) {}

    std::vector<platform::RunningApplication> runningApplications() override;
    /// The owner of the active window.
    std::optional<platform::RunningApplication> frontmostApplication() override;
    /// Activates the application's frontmost window, switching desktop when needed.
    bool activate(Pid pid) override;

private:
    DesktopCache& cache_;
    WindowActivation& activation_;
};

}  // namespace zerlith::x11
