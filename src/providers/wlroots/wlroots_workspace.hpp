#pragma once

#include "providers/wlroots/desktop_reading.hpp"
#include "providers/wlroots/wlroots_windows.hpp"
#include "providers/xdg/xdg_workspace.hpp"

namespace zerlith::wlroots {

/// Running applications are the processes that own toplevels, each described by its windows'
/// app id (an XWayland window's class). Any thread.
class WlrootsWorkspace final : public xdg::XdgWorkspace {
public:
    WlrootsWorkspace(DesktopReader& reader, WlrootsWindows& windows, xdg::DesktopEntries& entries)
        : XdgWorkspace(entries), reader_(reader), windows_(windows) {}

    std::vector<platform::RunningApplication> runningApplications() override;
    /// The owner of the focused window.
    std::optional<platform::RunningApplication> frontmostApplication() override;
    /// Raises the application's frontmost window.
    bool activate(Pid pid) override;

private:
    std::vector<platform::RunningApplication> applicationsOf(const DesktopReading& reading);

    DesktopReader& reader_;
    WlrootsWindows& windows_;
};

}  // namespace zerlith::wlroots
