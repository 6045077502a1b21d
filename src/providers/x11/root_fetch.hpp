#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include <xcb/randr.h>

#include "providers/x11/deadline.hpp"
#include "providers/x11/desktop_snapshot.hpp"
#include "providers/x11/xcb_connection.hpp"

namespace zerlith::x11 {

/// What the root window and RandR say about the whole desktop.
struct RootState {
    std::vector<xcb_window_t> frontToBack;    ///< _NET_CLIENT_LIST_STACKING reversed, else _NET_CLIENT_LIST reversed
    std::vector<xcb_window_t> mappingOrder;   ///< _NET_CLIENT_LIST (oldest first), else the stacking order
    std::optional<xcb_window_t> activeWindow;
    std::optional<std::uint32_t> currentDesktop;
    std::optional<Rect> workArea;             ///< of the current desktop
    std::vector<Monitor> monitors;
    Rect rootFrame;
    bool operator==(const RootState&) const = default;
};

/// Reads the root's state in one pipelined batch (plus, the first time a monitor appears, one
/// for its name). Not thread-safe: the desktop cache calls it under its lock.
class RootReader {
public:
    explicit RootReader(XcbConnection& connection) : connection_(connection) {}

    /// None when the server did not answer before the deadline.
    std::optional<RootState> read(const Deadline& deadline);

private:
    std::vector<Monitor> monitorsFrom(const xcb_randr_get_monitors_reply_t* reply, const Deadline& deadline);

    XcbConnection& connection_;
    std::unordered_map<xcb_atom_t, std::string> atomNames_;  // atoms never change their name
};

}  // namespace zerlith::x11
