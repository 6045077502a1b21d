#include "providers/xdg/xdg_windows.hpp"

namespace zerlith::xdg {

bool XdgWindows::raise(ActivationLog&, const Target& target, const std::optional<platform::Screen>& movingTo) {
    return raiseWindow(target.window->windowID, movingTo) || raiseFrontWindow(target.window->pid, {}, movingTo);
}

void XdgWindows::raiseShowing(Pid pid, const std::string& title, const std::optional<platform::Screen>& movingTo) {
    raiseFrontWindow(pid, title, movingTo) || raiseFrontWindow(pid, {}, movingTo);
}

bool XdgWindows::raiseFrontWindow(Pid pid, std::string_view title, const std::optional<platform::Screen>& movingTo) {
    const auto front = frontWindowOf(pid, title);
    return front && raiseWindow(*front, movingTo);
}

}  // namespace zerlith::xdg
