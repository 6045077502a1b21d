#pragma once

#include <optional>
#include <string>

#include "desktop/windows.hpp"

namespace zerlith::macos_model {

/// The windows of the macOS model, over its accessibility, window-server and workspace
/// interfaces (which the simulated desktop serves). A window with an accessibility
/// element is raised directly before raise() returns; one without is raised through its
/// application's Window menu on a background queue.
class ModelWindows final : public desktop::Windows {
public:
    std::vector<desktop::Window> list() override;
    std::optional<desktop::FocusedWindow> focusedWindow(Pid pid, double timeout) override;
    std::optional<Pid> ownerOf(std::uint32_t window) override;
    bool raise(ActivationLog& log, const Target& window, const std::optional<platform::Screen>& movingTo) override;
    void raiseShowing(Pid pid, const std::string& title, const std::optional<platform::Screen>& movingTo) override;
};

}  // namespace zerlith::macos_model
