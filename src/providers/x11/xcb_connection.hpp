#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include "providers/x11/deadline.hpp"

namespace zerlith::x11 {

struct FreeDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};
/// A reply as xcb hands it out: one malloc'ed block.
template <typename Reply>
using XcbReply = std::unique_ptr<Reply, FreeDeleter>;

/// One connection to an X server with the atoms and extensions the backend uses. Requests may be
/// sent from any thread (xcb serialises them); every wait for a reply is bounded by a deadline, so
/// a stopped server costs a timeout, never a hang, and a dead one fails at once.
class XcbConnection {
public:
    /// Connects to the display named `displayName` (":0"), giving up after `timeoutSeconds` when
    /// the server accepts the socket but never answers. On failure returns null and a one-line
    /// reason.
    static std::unique_ptr<XcbConnection> open(const std::string& displayName, double timeoutSeconds,
                                               std::string* error);
    ~XcbConnection();
    XcbConnection(const XcbConnection&) = delete;
    XcbConnection& operator=(const XcbConnection&) = delete;

    xcb_connection_t* raw() const { return connection_; }
    xcb_ewmh_connection_t* ewmh() { return &ewmh_; }
    int screenNumber() const { return screenNumber_; }
    xcb_window_t root() const { return root_; }
    /// The compositors' opacity property, which EWMH does not list.
    xcb_atom_t opacityAtom() const { return opacityAtom_; }
    /// The type of titles that Xlib and Xt programs encode in ISO 2022 (xterm's WM_NAME).
    xcb_atom_t compoundTextAtom() const { return compoundTextAtom_; }
    /// The first event code of RandR when the server lists monitors (RandR 1.5), else none.
    std::optional<std::uint8_t> randrFirstEvent() const { return randrFirstEvent_; }
    /// Whether the server can name the process behind a window (X-Resource 1.2).
    bool hasClientIds() const { return hasClientIds_; }

    /// The connection failed for good (the server went away or broke the protocol).
    bool broken() const { return xcb_connection_has_error(connection_) != 0; }
    void flush() { xcb_flush(connection_); }

    /// Waits until `deadline` for the reply to request `sequence`. Null for an error, a broken
    /// connection or a timeout (a late reply is then dropped when it comes). The caller frees it.
    void* waitForReply(unsigned sequence, const Deadline& deadline);
    /// Whether the reply to `sequence` has arrived (it is then dropped). Never waits.
    bool replyArrived(unsigned sequence);
    /// Tells xcb to drop the reply to `sequence` whenever it arrives.
    void discardReply(unsigned sequence) { xcb_discard_reply(connection_, sequence); }

private:
    XcbConnection(xcb_connection_t* connection, int screenNumber);
    /// Interns atoms and queries extensions; false with a reason when the server cannot serve us.
    bool prepare(std::string* error);

    xcb_connection_t* connection_;
    int screenNumber_;
    xcb_ewmh_connection_t ewmh_{};
    bool ewmhReady_ = false;
    xcb_window_t root_ = XCB_NONE;
    xcb_atom_t opacityAtom_ = XCB_NONE;
    xcb_atom_t compoundTextAtom_ = XCB_NONE;
    std::optional<std::uint8_t> randrFirstEvent_;
    bool hasClientIds_ = false;
};

/// A request whose reply is fetched on first read and discarded when never read. Building many
/// of them before reading any sends a whole batch at once (pipelining, no round trip each).
template <typename Reply>
class Pending {
public:
    Pending() = default;
    Pending(XcbConnection& connection, unsigned sequence) : connection_(&connection), sequence_(sequence) {}
    Pending(Pending&& other) noexcept { *this = std::move(other); }
    Pending& operator=(Pending&& other) noexcept {
        if (this != &other) {
            drop();
            connection_ = std::exchange(other.connection_, nullptr);
            sequence_ = other.sequence_;
            reply_ = std::move(other.reply_);
        }
        return *this;
    }
    ~Pending() { drop(); }

    /// The reply, or null (an error such as a vanished window, a timeout, a broken connection).
    const Reply* get(const Deadline& deadline) {
        if (connection_ != nullptr) {
            reply_.reset(static_cast<Reply*>(connection_->waitForReply(sequence_, deadline)));
            connection_ = nullptr;
        }
        return reply_.get();
    }

private:
    void drop() {
        if (connection_ != nullptr) connection_->discardReply(sequence_);
        connection_ = nullptr;
    }

    XcbConnection* connection_ = nullptr;  // set while the reply is still to be fetched
    unsigned sequence_ = 0;
    XcbReply<Reply> reply_;
};

}  // namespace zerlith::x11
