#include "providers/x11/x11_display.hpp"


namespace zerlith::x11 {

std::vector<platform::Screen> X11Display::screens() {
    // Asked once per window while windows are listed; screens change far less often than that.
    return cache_.current(kDefaultReplyTimeout, DesktopCache::Events::lastMillisecond)->layout().screens();
}

std::optional<platform::Screen> X11Display::mainScreen() {
    auto desktop = cache_.current(kDefaultReplyTimeout);
    if (const ClientWindow* active = desktop->active()) {
        if (auto frame = active->frame()) {
            if (auto holding = desktop->layout().screenHolding(*frame)) return holding;
        }
    }
    const auto& screens = desktop->layout().screens();
    if (screens.empty()) return std::nullopt;
    return screens.front();
}

Point X11Display::pointerLocation() {
    auto desktop = cache_.current(kDefaultReplyTimeout);
    const auto cookie = xcb_query_pointer(connection_.raw(), connection_.root());
    const XcbReply<xcb_query_pointer_reply_t> reply{
        static_cast<xcb_query_pointer_reply_t*>(cache_.waitForReply(cookie.sequence, Deadline::after(kDefaultReplyTimeout)))};
    if (!reply) return {};
    return desktop->layout().space().toBottomLeft(Point{double(reply->root_x), double(reply->root_y)});
}

}  // namespace zerlith::x11
