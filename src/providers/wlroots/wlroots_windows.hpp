#pragma once

#include "desktop/windows.hpp"
#include "providers/wlroots/desktop_reading.hpp"

namespace zerlith::wlroots {

/// The toplevels of a wlroots compositor. Where sway runs, a window is raised through its IPC,
/// which also switches workspace and moves it to another output; elsewhere the protocol asks the
/// compositor to activate it, and moving is not offered. Any thread, apart from what
/// desktop::Windows keeps to the main thread.
class WlrootsWindows final : public desktop::Windows {
public:
    explicit WlrootsWindows(DesktopReader& reader) : reader_(reader) {}

    /// Front to back, the most recently focused first, without the switcher's own.
    std::vector<desktop::Window> list() override;
    std::optional<desktop::FocusedWindow> focusedWindow(Pid pid, double timeout) override;
    std::optional<Pid> ownerOf(std::uint32_t window) override;
    bool raise(ActivationLog& log, const Target& window, const std::optional<platform::Screen>& movingTo) override;
    void raiseShowing(Pid pid, const std::string& title, const std::optional<platform::Screen>& movingTo) override;

    /// Raises the frontmost window of `pid` whose title begins with `title`; false without one.
    bool raiseFrontWindow(Pid pid, const std::string& title, const std::optional<platform::Screen>& movingTo);

private:
    bool raiseWindow(const DesktopWindow& window, const std::optional<platform::Screen>& movingTo);

    DesktopReader& reader_;
};

}  // namespace zerlith::wlroots
