#include "providers/x11/x11_windows.hpp"

#include <unistd.h>

#include "desktop/screens.hpp"
#include "providers/x11/property_decoding.hpp"
#include "providers/x11/window_commands.hpp"

namespace zerlith::x11 {
namespace {

/// A window leaving full screen animates; its frame is read again after this.
constexpr double kFullScreenExitWait = 0.35;

/// The most of _NET_WM_ICON read, in 32-bit words: a 256-pixel icon and a few smaller ones. A
/// client may announce more; what is past this is not read.
constexpr std::uint32_t kIconLimitWords = 128 * 1024;

bool switchable(const ClientWindow& window, Pid ownPid) {
    if (window.isDesktop || window.layer != 0 || !window.pid || *window.pid == ownPid || !window.title) return false;
    if (window.alpha && !(*window.alpha > desktop::kMinimumWindowAlpha)) return false;
    const auto frame = window.frame();
    return frame && desktop::isSwitchableSize(*frame);
}

}  // namespace

std::vector<desktop::Window> X11Windows::list() {
    const auto desktop = cache_.current(kDefaultReplyTimeout);
    const desktop::LayoutSpace& space = desktop->layout().space();
    const Pid ownPid = static_cast<Pid>(::getpid());
    std::vector<desktop::Window> windows;
    windows.reserve(desktop->windows().size());
    for (const ClientWindow& window : desktop->windows()) {
        if (!switchable(window, ownPid)) continue;
        const bool onCurrentDesktop = desktop->onCurrentDesktop(window);
        // Every window is raised by its id; those on the current desktop are counted as raised
        // directly, as scripts reading the dump knew them.
        windows.push_back({window.id, *window.pid, *window.title, space.toTopLeft(*window.frame()),
                           onCurrentDesktop && !window.hidden, onCurrentDesktop, nullptr});
    }
    return windows;
}

std::optional<desktop::FocusedWindow> X11Windows::focusedWindow(Pid pid, double timeout) {
    const auto desktop = cache_.current(timeout, DesktopCache::Events::lastMillisecond);
    const ClientWindow* active = desktop->active();
    if (active == nullptr || active->pid != pid) return std::nullopt;
    std::optional<Rect> frame;
    if (auto root = active->frame()) frame = desktop->layout().space().toTopLeft(*root);
    return desktop::FocusedWindow{active->title.value_or(""), frame};
}

std::optional<Pid> X11Windows::ownerOf(std::uint32_t window) {
    const auto desktop = cache_.current(kDefaultReplyTimeout);
    const ClientWindow* found = desktop->find(window);
    return found != nullptr ? found->pid : std::nullopt;
}

std::optional<platform::WindowIcon> X11Windows::icon(std::uint32_t window, int preferredSize) {
    if (connection_.broken()) return std::nullopt;
    const auto cookie = xcb_get_property(connection_.raw(), 0, window, connection_.ewmh()->_NET_WM_ICON,
                                         XCB_ATOM_CARDINAL, 0, kIconLimitWords);
    const XcbReply<xcb_get_property_reply_t> reply{
        static_cast<xcb_get_property_reply_t*>(cache_.waitForReply(cookie.sequence, Deadline::after(kDefaultReplyTimeout)))};
    return windowIcon(reply.get(), preferredSize);
}

std::optional<std::uint32_t> X11Windows::frontWindowOf(Pid pid, std::string_view title) {
    const auto desktop = cache_.current(kDefaultReplyTimeout);
    for (const ClientWindow& window : desktop->windows()) {
        if (window.pid != pid || window.layer != 0 || window.isDesktop) continue;
        if (window.title.value_or("").starts_with(title)) return window.id;
    }
    return std::nullopt;
}

bool X11Windows::raiseWindow(std::uint32_t window, const std::optional<platform::Screen>& movingTo) {
    if (!activation_.activateWindow(window, kDefaultReplyTimeout)) return false;
    if (movingTo) dispatch_.postMain([this, window, screen = *movingTo] { moveToScreen(window, screen); });
    return true;
}

void X11Windows::moveToScreen(xcb_window_t id, const platform::Screen& destination) {
    auto desktop = cache_.current(kDefaultReplyTimeout);
    const ClientWindow* window = desktop->find(id);
    if (window != nullptr && window->fullScreen) {
        setFullScreen(connection_, *window, false);
        cache_.expire();
        clock_.sleep(kFullScreenExitWait);
        desktop = cache_.current(kDefaultReplyTimeout);
        window = desktop->find(id);
    }
    const auto rootFrame = window != nullptr ? window->frame() : std::nullopt;
    if (!rootFrame) return;
    const desktop::LayoutSpace& space = desktop->layout().space();
    const Rect frame = space.toTopLeft(*rootFrame);
    const auto from = Screens::screenForAXRect(frame, display_.screens());
    if (from && *from == destination) return;
    const Rect placed = Screens::placement(frame, from, destination);
    moveFrame(connection_, *window, space.layoutFromTopLeft(placed.origin()));
    resizeFrame(connection_, *window, placed.size());
    cache_.expire();
}

}  // namespace zerlith::x11
