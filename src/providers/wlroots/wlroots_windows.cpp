#include "providers/wlroots/wlroots_windows.hpp"

#include <unistd.h>

#include <algorithm>

#include "base/utf8.hpp"

namespace zerlith::wlroots {
namespace {

/// A window's frame in layout coordinates: sway's, else that of the first output it is on (the
/// protocol tells no more), else the primary output's.
Rect layoutFrame(const DesktopWindow& window, const std::vector<WaylandOutput>& outputs,
                 const std::vector<std::pair<std::string, Rect>>& layout) {
    if (window.view) return window.view->frame;
    for (const std::uint32_t id : window.toplevel.outputs) {
        const auto on = std::find_if(outputs.begin(), outputs.end(), [&](const auto& output) { return output.id == id; });
        if (on != outputs.end()) return on->frame;
    }
    return layout.empty() ? Rect{} : layout.front().second;
}

std::string criteriaFor(const SwayView& view) { return "[con_id=" + std::to_string(view.conId) + "] "; }

}  // namespace

std::vector<desktop::Window> WlrootsWindows::list() {
    const DesktopReading reading = reader_.read();
    const auto outputs = reader_.connection().outputs();
    const auto layout = display_.outputs();
    const desktop::LayoutSpace space(layout.empty() ? Rect{} : layout.front().second);
    const Pid ownPid = static_cast<Pid>(::getpid());
    std::vector<desktop::Window> windows;
    for (const DesktopWindow& window : reading.windows) {
        const Pid pid = window.pid;
        if (pid == ownPid || window.toplevel.appId == kOwnAppId || window.toplevel.title.empty()) continue;
        const Rect frame = space.toTopLeft(layoutFrame(window, outputs, layout));
        if (!desktop::isSwitchableSize(frame)) continue;
        windows.push_back({window.toplevel.id, pid, utf8FromUntrusted(window.toplevel.title), frame,
                           window.onCurrentWorkspace, window.onCurrentWorkspace, nullptr});
    }
    return windows;
}

std::optional<desktop::FocusedWindow> WlrootsWindows::focusedWindow(Pid pid, double) {
    const DesktopReading reading = reader_.read();
    const DesktopWindow* active = reading.active();
    if (active == nullptr || active->pid != pid) return std::nullopt;
    const auto layout = display_.outputs();
    const desktop::LayoutSpace space(layout.empty() ? Rect{} : layout.front().second);
    const Rect frame = layoutFrame(*active, reader_.connection().outputs(), layout);
    return desktop::FocusedWindow{utf8FromUntrusted(active->toplevel.title), space.toTopLeft(frame)};
}

std::optional<Pid> WlrootsWindows::ownerOf(std::uint32_t id) {
    const DesktopReading reading = reader_.read();
    const DesktopWindow* window = reading.find(id);
    if (window == nullptr) return std::nullopt;
    return window->pid;
}

bool WlrootsWindows::raise(ActivationLog&, const Target& target, const std::optional<platform::Screen>& movingTo) {
    const DesktopReading reading = reader_.read();
    if (const DesktopWindow* window = reading.find(target.window->windowID)) return raiseWindow(*window, movingTo);
    return raiseFrontWindow(target.window->pid, {}, movingTo);
}

void WlrootsWindows::raiseShowing(Pid pid, const std::string& title, const std::optional<platform::Screen>& movingTo) {
    raiseFrontWindow(pid, title, movingTo) || raiseFrontWindow(pid, {}, movingTo);
}

bool WlrootsWindows::raiseFrontWindow(Pid pid, const std::string& title, const std::optional<platform::Screen>& movingTo) {
    const DesktopReading reading = reader_.read();
    const auto front = std::find_if(reading.windows.begin(), reading.windows.end(), [&](const DesktopWindow& window) {
        return window.pid == pid && window.toplevel.title.starts_with(title);
    });
    return front != reading.windows.end() && raiseWindow(*front, movingTo);
}

bool WlrootsWindows::raiseWindow(const DesktopWindow& window, const std::optional<platform::Screen>& movingTo) {
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
