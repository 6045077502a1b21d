#include "platform/x11/x11_window_server.hpp"

#include "platform/x11/property_decoding.hpp"
#include "platform/x11/screen_layout.hpp"

namespace zerlith::x11 {
namespace {

/// The most of _NET_WM_ICON read, in 32-bit words: a 256-pixel icon and a few smaller ones. A
/// client may announce more; what is past this is not read.
constexpr std::uint32_t kIconLimitWords = 128 * 1024;

}  // namespace

std::optional<platform::WindowIcon> X11WindowServer::windowIcon(std::uint32_t windowNumber, int preferredSize) {
    if (connection_.broken()) return std::nullopt;
    const auto cookie = xcb_get_property(connection_.raw(), 0, windowNumber, connection_.ewmh()->_NET_WM_ICON,
                                         XCB_ATOM_CARDINAL, 0, kIconLimitWords);
    Pending<xcb_get_property_reply_t> reply(connection_, cookie.sequence);
    connection_.flush();
    return x11::windowIcon(reply.get(Deadline::after(kDefaultReplyTimeout)), preferredSize);
}

std::vector<platform::WindowRecord> X11WindowServer::windowList() {
    auto desktop = cache_.current(kDefaultReplyTimeout);
    const RootSpace& space = desktop->layout().space();
    std::vector<platform::WindowRecord> records;
    records.reserve(desktop->windows().size());
    for (const ClientWindow& window : desktop->windows()) {
        if (window.isDesktop) continue;
        platform::WindowRecord record;
        record.number = std::int64_t{window.id};
        record.layer = window.layer;
        record.isOnscreen = desktop->onCurrentDesktop(window) && !window.hidden;
        if (window.pid) record.ownerPID = std::int64_t{*window.pid};
        if (window.title) record.name = *window.title;
        if (window.alpha) record.alpha = *window.alpha;
        if (auto frame = window.frame()) {
            const Rect bounds = space.toTopLeft(*frame);
            record.bounds = platform::WindowBounds{bounds.x, bounds.y, bounds.width, bounds.height};
        }
        records.push_back(std::move(record));
    }
    return records;
}

}  // namespace zerlith::x11
