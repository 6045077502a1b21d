#include "providers/x11/desktop_snapshot.hpp"

namespace zerlith::x11 {

std::optional<Rect> ClientWindow::frame() const {
    if (!clientArea) return std::nullopt;
    return Rect{clientArea->x - extents.left, clientArea->y - extents.top,
                clientArea->width + extents.left + extents.right, clientArea->height + extents.top + extents.bottom};
}

DesktopSnapshot::DesktopSnapshot(std::vector<ClientWindow> frontToBack, std::optional<xcb_window_t> activeWindow,
                                 std::optional<std::uint32_t> currentDesktop, std::optional<Rect> workArea,
                                 std::vector<Monitor> monitors, Rect rootFrame)
    : windows_(std::move(frontToBack)),
      activeWindow_(activeWindow),
      currentDesktop_(currentDesktop),
      layout_(std::move(monitors), workArea, rootFrame) {
    index_.reserve(windows_.size());
    for (std::size_t i = 0; i < windows_.size(); ++i) index_.emplace(windows_[i].id, i);
}

const ClientWindow* DesktopSnapshot::find(xcb_window_t id) const {
    auto found = index_.find(id);
    return found == index_.end() ? nullptr : &windows_[found->second];
}

bool DesktopSnapshot::onCurrentDesktop(const ClientWindow& window) const {
    if (window.sticky() || !window.desktop || !currentDesktop_) return true;
    return *window.desktop == *currentDesktop_;
}

}  // namespace zerlith::x11
