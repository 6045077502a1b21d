#include "providers/x11/window_activation.hpp"

#include "providers/x11/window_commands.hpp"

namespace zerlith::x11 {

bool WindowActivation::activateWindow(xcb_window_t window, double timeoutSeconds) {
    auto desktop = cache_.current(timeoutSeconds);
    const ClientWindow* found = desktop->find(window);
    if (found == nullptr) return false;
    x11::activateWindow(connection_, *desktop, *found);
    cache_.expire();
    if (requestListener_) requestListener_(window);
    return true;
}

bool WindowActivation::activateApplication(Pid pid, double timeoutSeconds) {
    auto desktop = cache_.current(timeoutSeconds);
    for (const ClientWindow& window : desktop->windows()) {
        if (window.pid == pid && window.layer == 0) return activateWindow(window.id, timeoutSeconds);
    }
    return false;
}

}  // namespace zerlith::x11
