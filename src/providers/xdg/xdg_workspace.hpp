#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/workspace.hpp"
#include "providers/xdg/desktop_entries.hpp"

namespace zerlith::xdg {

/// What the workspaces of XDG desktops (X11, Wayland) share: applications described by their
/// desktop entries, URLs handed to xdg-open. Any thread.
class XdgWorkspace : public platform::Workspace {
public:
    explicit XdgWorkspace(DesktopEntries& entries) : entries_(entries) {}

    Pid ownPid() override;
    /// Runs xdg-open; true when it could be started.
    bool openURL(std::string_view url) override;
    /// The desktop entry file whose id is `bundleID`.
    std::optional<std::string> applicationPath(std::string_view bundleID) override;
    /// The icon file of the desktop entry at `path`.
    std::optional<platform::Icon> iconForFile(std::string_view path) override;

protected:
    /// The application `pid` whose windows carry `windowClass` (none: unknown), named by its
    /// desktop entry when it has one: the entry's name, with its id as bundle identifier
    /// ("org.gnome.gedit"); else by the class name, in lower case as the identifier ("XTerm"
    /// and "xterm").
    static platform::RunningApplication describe(Pid pid, const WindowClass* windowClass, bool regular,
                                                 const std::optional<DesktopEntry>& entry);

    DesktopEntries& entries_;
};

}  // namespace zerlith::xdg
