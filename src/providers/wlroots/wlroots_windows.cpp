#include "providers/wlroots/wlroots_windows.hpp"

#include <unistd.h>

#include <algorithm>

#include "base/utf8.hpp"

namespace zerlith::wlroots {
namespace {

std::string criteriaFor(const SwayView& view) { return "[con_id=" + std::to_string(view.conId) + "] "; }

}  // namespace

std::vector<desktop::Window> WlrootsWindows::list() {
    const DesktopReading reading = reader_.read();
    const Pid ownPid = static_cast<Pid>(::getpid());
    std::vector<desktop::Window> windows;
    for (const DesktopWindow& window : reading.windows) {
        const Pid pid = window.pid;
        if (pid == ownPid || window.toplevel.appId == kOwnAppId || window.toplevel.title.empty()) continue;
        if (!desktop::isSwitchableSize(window.frame)) continue;
        windows.push_back({window.toplevel.id, pid, utf8FromUntrusted(window.toplevel.title), window.frame,
                           window.onCurrentWorkspace, window.onCurrentWorkspace, nullptr});
    }
    return windows;
}

std::optional<desktop::FocusedWindow> WlrootsWindows::focusedWindow(Pid pid, double) {
    const DesktopReading reading = reader_.read();
    const DesktopWindow* active = reading.active();
    if (active == nullptr || active->pid != pid) return std::nullopt;
    return desktop::FocusedWindow{utf8FromUntrusted(active->toplevel.title), active->frame};
}

std::optional<Pid> WlrootsWindows::ownerOf(std::uint32_t id) {
    const DesktopReading reading = reader_.read();
    const DesktopWindow* window = reading.find(id);
    if (window == nullptr) return std::nullopt;
    return window->pid;
}

std::optional<std::uint32_t> WlrootsWindows::frontWindowOf(Pid pid, std::string_view title) {
    const DesktopReading reading = reader_.read();
    const auto front = std::find_if(reading.windows.begin(), reading.windows.end(), [&](const DesktopWindow& window) {
        return window.pid == pid && window.toplevel.title.starts_with(title);
    });
    if (front == reading.windows.end()) return std::nullopt;
    return front->toplevel.id;
}

bool WlrootsWindows::raiseWindow(std::uint32_t id, const std::optional<platform::Screen>& movingTo) {
    const DesktopReading reading = reader_.read();
    const DesktopWindow* found = reading.find(id);
    if (found == nullptr) return false;
    const DesktopWindow& window = *found;
    SwayIpc* sway = reader_.sway();
    if (sway == nullptr || !window.view) return reader_.connection().activate(window.toplevel.id);
    // Focusing a window on a hidden workspace shows that workspace; a moved window keeps its
    // place in the other output's workspace and is focused there.
    const std::string criteria = criteriaFor(*window.view);
    std::string commands;
    if (movingTo && movingTo->name != window.view->output)
        commands = criteria + "move container to output " + quotedForCommand(movingTo->name) + "; ";
    commands += criteria + "focus";
    return sway->run(commands);
}

}  // namespace zerlith::wlroots
