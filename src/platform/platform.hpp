#pragma once

#include "desktop/capabilities.hpp"
#include "platform/browser_bridge.hpp"
#include "platform/clock.hpp"
#include "platform/desktop_events.hpp"
#include "platform/dispatch.hpp"
#include "platform/display.hpp"
#include "platform/hot_keys.hpp"
#include "platform/macos/mac_interfaces.hpp"
#include "platform/preferences.hpp"
#include "platform/workspace.hpp"

namespace zerlith::desktop {
class Access;
class DesktopTabs;
class Windows;
}

namespace zerlith::platform {

/// Everything the core asks of the operating system. One provider implements it: the macOS model
/// over the simulated desktop, the X11 desktop, or the empty desktop. The core reaches it
/// through current(); the composition root installs it.
class Platform {
public:
    virtual ~Platform() = default;

    /// Which provider this is and what its desktop lets the switcher do.
    virtual desktop::ProviderInfo provider() const = 0;

    /// The switchable windows and how one is brought forward.
    virtual desktop::Windows& windows() = 0;

    virtual Workspace& workspace() = 0;
    virtual Display& display() = 0;
    virtual Clock& clock() = 0;
    virtual Dispatch& dispatch() = 0;
    /// The backend's change events; none for a backend that has no event stream.
    virtual DesktopEvents* desktopEvents() { return nullptr; }
    /// The desktop's global keys; none where the desktop offers no way to take them.
    virtual HotKeys* hotKeys() { return nullptr; }
    /// The desktop's own preferences; none where the application keeps them in its own file.
    virtual Preferences* preferences() { return nullptr; }
    /// The browsers' extensions; none where tabs are reached through scripts only.
    virtual BrowserBridge* browserBridge() { return nullptr; }
    /// The desktop's own way to browsers' tabs; none where only an extension brings them.
    virtual desktop::DesktopTabs* tabs() { return nullptr; }
    /// The grants the user gives the switcher; none on a desktop that grants everything.
    virtual desktop::Access* access() { return nullptr; }
    /// The macOS-shaped interfaces; none on any desktop but the macOS model's.
    virtual MacInterfaces* macOS() { return nullptr; }
};

/// The platform installed for this process. Installing happens before any other thread starts
/// (at start, or at the top of a test), so reading it needs no lock.
Platform& current();

/// Installs a platform for the lifetime of this object and restores the previous one after.
class ScopedPlatform {
public:
    explicit ScopedPlatform(Platform& platform);
    ~ScopedPlatform();
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

private:
    Platform* previous_;
};

}  // namespace zerlith::platform
