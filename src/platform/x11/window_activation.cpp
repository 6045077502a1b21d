#include "platform/x11/window_activation.hpp"

#include "platform/x11/window_commands.hpp"

namespace zerlith::x11 {
namespace {

/// How long a request may stay unanswered before the window manager is taken to have refused it.
constexpr auto kRequestLifetime = std::chrono::seconds(1);

}  // namespace

bool WindowActivation::activateWindow(xcb_window_t window, double timeoutSeconds) {
    auto desktop = cache_.current(timeoutSeconds);
    const ClientWindow* found = desktop->find(window);
    if (found == nullptr) return false;
    x11::activateWindow(connection_, *desktop, *found);
    cache_.expire();
    if (requestListener_) requestListener_(window);
    std::lock_guard lock(mutex_);
    lastRequest_ = Request{window, found->pid.value_or(0), std::chrono::steady_clock::now()};
    return true;
}

bool WindowActivation::activateApplication(Pid pid, double timeoutSeconds) {
    auto desktop = cache_.current(timeoutSeconds);
    std::optional<xcb_window_t> chosen;
    {
        std::lock_guard lock(mutex_);
        if (lastRequest_ && (desktop->activeWindow() == lastRequest_->window ||
                             std::chrono::steady_clock::now() - lastRequest_->sentAt > kRequestLifetime)) {
            lastRequest_.reset();  // carried out, or refused
        }
        if (lastRequest_ && lastRequest_->pid == pid && desktop->find(lastRequest_->window) != nullptr) {
            chosen = lastRequest_->window;
        }
    }
    if (!chosen) {
        for (const ClientWindow& window : desktop->windows()) {
            if (window.pid == pid && window.layer == 0) {
                chosen = window.id;
                break;
            }
        }
    }
    return chosen && activateWindow(*chosen, timeoutSeconds);
}

}  // namespace zerlith::x11
