#pragma once

#include <xcb/xcb.h>

#include "platform/desktop_events.hpp"
#include "providers/x11/desktop_cache.hpp"
#include "providers/x11/xcb_connection.hpp"

namespace zerlith::x11 {

/// The X11 desktop's changes, as the server's events on the backend's connection tell them.
class X11DesktopEvents final : public platform::DesktopEvents {
public:
    X11DesktopEvents(XcbConnection& connection, DesktopCache& cache) : connection_(connection), cache_(cache) {}

    int fileDescriptor() override { return xcb_get_file_descriptor(connection_.raw()); }
    std::vector<platform::DesktopChange> takeChanges() override { return cache_.takeChanges(); }

private:
    XcbConnection& connection_;
    DesktopCache& cache_;
};

}  // namespace zerlith::x11
