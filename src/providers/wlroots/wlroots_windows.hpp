#pragma once

#include "providers/wlroots/desktop_reading.hpp"
#include "providers/xdg/xdg_windows.hpp"

namespace zerlith::wlroots {

/// The toplevels of a wlroots compositor. Where sway runs, a window is raised through its IPC,
/// which also switches workspace and moves it to another output; elsewhere the protocol asks the
/// compositor to activate it, and moving is not offered. Any thread, apart from what
/// desktop::Windows keeps to the main thread.
class WlrootsWindows final : public xdg::XdgWindows {
public:
    explicit WlrootsWindows(DesktopReader& reader) : reader_(reader) {}

    /// Front to back, the most recently focused first, without the switcher's own.
    std::vector<desktop::Window> list() override;
    std::optional<desktop::FocusedWindow> focusedWindow(Pid pid, double timeout) override;
    std::optional<Pid> ownerOf(std::uint32_t window) override;

private:
    bool raiseWindow(std::uint32_t id, const std::optional<platform::Screen>& movingTo) override;
    std::optional<std::uint32_t> frontWindowOf(Pid pid, std::string_view title) override;

    DesktopReader& reader_;
};

}  // namespace zerlith::wlroots
