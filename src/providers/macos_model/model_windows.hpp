#pragma once

#include <optional>
#include <string>

#include "desktop/windows.hpp"

namespace zerlith::macos_model {

/// The windows of the macOS model, over its accessibility, window-server, workspace and
/// scripting interfaces (which the simulated desktop serves). A window with an accessibility
/// element is raised directly before raise() returns; one without is raised through its
/// application's Window menu on a background queue.
class ModelWindows final : public desktop::Windows {
public:
    std::vector<desktop::Window> list() override;
    std::optional<desktop::FocusedWindow> focusedWindow(Pid pid, double timeout) override;
    std::optional<Pid> ownerOf(std::uint32_t window) override;
    bool raise(ActivationLog& log, const Target& window, const std::optional<platform::Screen>& movingTo) override;
    void raiseShowing(Pid pid, const std::string& title, const std::optional<platform::Screen>& movingTo) override;
    /// By script, then through the browser's Window menu, checked by the front tab's URL.
    bool selectTab(ActivationLog& log, Pid browser, const Target& tab,
                   const std::optional<platform::Screen>& movingTo) override;
};

/// The script that makes the tab the active one of its browser window.
std::string selectTabScript(const TabRef& tab);

/// Whether the browser's front window now shows the tab, judged by its active tab's URL.
/// Runs a script: blocks up to 2 s, so never on the main thread.
bool frontTabShows(const TabRef& tab);

}  // namespace zerlith::macos_model
