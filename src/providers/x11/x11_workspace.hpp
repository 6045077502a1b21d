#pragma once

#include "platform/workspace.hpp"
#include "providers/x11/desktop_cache.hpp"
#include "providers/x11/desktop_entries.hpp"
#include "providers/x11/window_activation.hpp"

namespace zerlith::x11 {

/// Running applications are the processes that own client windows, in the order their oldest
/// window was mapped. Those with a normal or dialog window are regular, the others (docks,
/// panels) accessory. Name and bundle identifier come from the desktop entry matching the
/// WM_CLASS of the application's oldest window, with the entry's id as bundle identifier
/// ("org.gnome.gedit"); without one, the class name is the name and the class name in lower case
/// the identifier ("XTerm" and "xterm"). Any thread.
class X11Workspace final : public platform::Workspace {
public:
    X11Workspace(DesktopCache& cache, DesktopEntries& entries, WindowActivation& activation)
        : cache_(cache), entries_(entries), activation_(activation) {}

    std::vector<platform::RunningApplication> runningApplications() override;
    /// The owner of the active window.
    std::optional<platform::RunningApplication> frontmostApplication() override;
    /// Activates the application's frontmost window, switching desktop when needed.
    bool activate(Pid pid) override;
    Pid ownPid() override;

    /// Runs xdg-open; true when it could be started.
    bool openURL(std::string_view url) override;
    /// The desktop entry file whose id is `bundleID`.
    std::optional<std::string> applicationPath(std::string_view bundleID) override;
    /// The icon file of the desktop entry at `path`.
    std::optional<platform::Icon> iconForFile(std::string_view path) override;

private:
    /// `entry` is the desktop entry of the oldest window's class.
    static platform::RunningApplication describe(Pid pid, const ClientWindow& oldest, bool regular,
                                                 const std::optional<DesktopEntry>& entry);

    DesktopCache& cache_;
    DesktopEntries& entries_;
    WindowActivation& activation_;
};

}  // namespace zerlith::x11
