#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.hpp"
#include "platform/sim/desktop_loader.hpp"
#include "platform/sim/desktop_model.hpp"

namespace zerlith::sim {

/// A whole desktop in memory (desktop-format.md) behind the platform seam: window stacking,
/// Spaces, applications and their accessibility trees with menus, browsers with tabs and
/// scripting, permissions, screens and the pointer. It reacts to what the core does (raise,
/// activate, move, press, select a tab) and keeps the derived state consistent, so the next
/// read sees the change. All of it is guarded by one lock: any thread.
///
///     auto loaded = sim::loadDesktopFile("examples/desktop.json");
///     sim::SimDesktop desktop(std::get<sim::DesktopModel>(loaded), clock, dispatch);
///     platform::ScopedPlatform installed(desktop);
///
/// Every change the core makes is recorded in actionLog(), one line each:
///   "activate <pid>"                               Workspace::activate
///   "setAttribute window <n> <attribute> <value>"  value: "true"/"false", or "x,y" / "w,h"
///   "performAction window <n> AXRaise"
///   "press menuItem <pid> <title>"                 with " (app not frontmost: no effect)" when
///                                                  the app wants activation first
///   "script <chrome|safari> select window <id> tab <index>"
///   "consent <chrome|safari> <allow|deny>"         a script made the desktop ask
///   "openURL <url>", "promptForTrust", "requestScreenCaptureAccess"
class SimDesktop final : public platform::Platform, public platform::MacInterfaces {
public:
    /// `clock` and `dispatch` outlive the desktop. With `now` in the model the wall clock reads
    /// it; durations and sleeps (hangs wait out their timeouts on it) still go to `clock`.
    SimDesktop(DesktopModel model, platform::Clock& clock, platform::Dispatch& dispatch);
    ~SimDesktop() override;

    /// The macOS model: every capability, keys typed ahead queue up for the palette by themselves.
    desktop::ProviderInfo provider() const override;
    /// The macOS model's windows, over this desktop's macOS-shaped interfaces.
    desktop::Windows& windows() override;
    /// Chrome's and Safari's tabs by script, under the file's automation consent.
    desktop::DesktopTabs* tabs() override;
    /// The file's Accessibility and Screen Recording permissions.
    desktop::Access* access() override;
    platform::Workspace& workspace() override;
    platform::Display& display() override;
    platform::MacInterfaces* macOS() override { return this; }
    platform::Accessibility& accessibility() override;
    platform::WindowServer& windowServer() override;
    platform::Scripting& scripting() override;
    platform::Clock& clock() override;
    platform::Dispatch& dispatch() override;
    /// Global keys: those in the file's `heldShortcuts` cannot be registered.
    platform::HotKeys* hotKeys() override;
    /// In memory, starting with the file's `preferences`.
    platform::Preferences* preferences() override;

    /// A copy of the current state, for assertions.
    DesktopModel state() const;
    /// Changes the state under the desktop's lock (a window appears, an app quits...). Exactly
    /// what the function writes changes: nothing is derived again.
    void update(const std::function<void(DesktopModel&)>& change);
    /// The user presses a global key: its registration's handler hears of it. Any thread.
    void pressHotKey(KeyChord key, std::uint32_t pressTime = 0);
    /// Every change the core made, in order (format above).
    std::vector<std::string> actionLog() const;

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace zerlith::sim
