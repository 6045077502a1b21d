#pragma once

#include <span>

#include "providers/x11/deadline.hpp"
#include "providers/x11/desktop_snapshot.hpp"
#include "providers/x11/xcb_connection.hpp"

namespace zerlith::x11 {

/// The facts of a client window that are read separately, so that a change re-reads only its own.
namespace fields {
inline constexpr unsigned kPid = 1u << 0;        ///< _NET_WM_PID, else X-Resource
inline constexpr unsigned kTitle = 1u << 1;      ///< _NET_WM_NAME, else WM_NAME
inline constexpr unsigned kType = 1u << 2;       ///< _NET_WM_WINDOW_TYPE
inline constexpr unsigned kOpacity = 1u << 3;    ///< _NET_WM_WINDOW_OPACITY
inline constexpr unsigned kDesktop = 1u << 4;    ///< _NET_WM_DESKTOP
inline constexpr unsigned kState = 1u << 5;      ///< _NET_WM_STATE
inline constexpr unsigned kExtents = 1u << 6;    ///< _NET_FRAME_EXTENTS
inline constexpr unsigned kClass = 1u << 7;      ///< WM_CLASS
inline constexpr unsigned kGeometry = 1u << 8;   ///< size and root position
inline constexpr unsigned kAll = (1u << 9) - 1;
}  // namespace fields

/// The field a property change on a client window invalidates; 0 for properties not read here.
unsigned fieldForProperty(XcbConnection& connection, xcb_atom_t property);

/// One window to read: which fields, and whether to start listening to its changes first.
struct FetchItem {
    ClientWindow* window;
    unsigned fields;
    bool listen = false;
};

enum class FetchOutcome {
    done,      ///< the window holds what the server said
    vanished,  ///< the server no longer knows the window
    timedOut,  ///< the deadline passed first; the window holds what arrived in time
};

/// Reads the fields of many windows in one pipelined stream (replies are collected while later
/// requests are still on their way, with a bounded number outstanding, so a stopped server cannot
/// fill the socket and block the sender). Returns one outcome per item, in order.
std::vector<FetchOutcome> fetchWindows(XcbConnection& connection, std::span<const FetchItem> items,
                                       const Deadline& deadline);

}  // namespace zerlith::x11
