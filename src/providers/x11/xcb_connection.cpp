#include "providers/x11/xcb_connection.hpp"

#include <poll.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include <xcb/randr.h>
#include <xcb/res.h>
#include <xcb/xcbext.h>

namespace zerlith::x11 {
namespace {

/// How long one wait on the socket lasts before xcb is asked again: another thread may have read
/// our reply off the socket meanwhile, which a poll() on it would never notice.
constexpr int kPollSliceMillis = 5;

}  // namespace

std::unique_ptr<XcbConnection> XcbConnection::open(const std::string& displayName, double timeoutSeconds,
                                                   std::string* error) {
    // xcb_connect and the setup round trips block without limit when the server accepts the
    // socket but is stopped; they run on a thread of their own that is left behind on timeout.
    struct Attempt {
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
        bool abandoned = false;
        std::unique_ptr<XcbConnection> connection;
        std::string error;
    };
    auto attempt = std::make_shared<Attempt>();

    std::thread([attempt, name = displayName] {
        std::string reason;
        int screenNumber = 0;
        xcb_connection_t* raw = xcb_connect(name.c_str(), &screenNumber);
        std::unique_ptr<XcbConnection> connection(new XcbConnection(raw, screenNumber));
        if (connection->broken()) {
            reason = "cannot open X display \"" + name + "\"";
            connection.reset();
        } else if (!connection->prepare(&reason)) {
            reason = "X display \"" + name + "\": " + reason;
            connection.reset();
        }
        std::lock_guard lock(attempt->mutex);
        if (attempt->abandoned) return;  // the late connection closes here
        attempt->connection = std::move(connection);
        attempt->error = reason;
        attempt->done = true;
        attempt->finished.notify_all();
    }).detach();

    std::unique_lock lock(attempt->mutex);
    bool done = attempt->finished.wait_for(lock, std::chrono::duration<double>(timeoutSeconds),
                                           [&] { return attempt->done; });
    if (!done) {
        attempt->abandoned = true;
        if (error != nullptr) *error = "X display \"" + displayName + "\" does not answer";
        return nullptr;
    }
    if (!attempt->connection && error != nullptr) *error = attempt->error;
    return std::move(attempt->connection);
}

XcbConnection::XcbConnection(xcb_connection_t* connection, int screenNumber)
    : connection_(connection), screenNumber_(screenNumber) {}

XcbConnection::~XcbConnection() {
    if (ewmhReady_) xcb_ewmh_connection_wipe(&ewmh_);
    xcb_disconnect(connection_);
}

bool XcbConnection::prepare(std::string* error) {
    xcb_prefetch_extension_data(connection_, &xcb_randr_id);
    xcb_prefetch_extension_data(connection_, &xcb_res_id);
    static constexpr char kOpacity[] = "_NET_WM_WINDOW_OPACITY";
    static constexpr char kCompoundText[] = "COMPOUND_TEXT";
    auto opacityCookie = xcb_intern_atom(connection_, 0, std::strlen(kOpacity), kOpacity);
    auto compoundTextCookie = xcb_intern_atom(connection_, 0, std::strlen(kCompoundText), kCompoundText);
    xcb_intern_atom_cookie_t* ewmhCookies = xcb_ewmh_init_atoms(connection_, &ewmh_);
    ewmhReady_ = ewmhCookies != nullptr && xcb_ewmh_init_atoms_replies(&ewmh_, ewmhCookies, nullptr) != 0;
    XcbReply<xcb_intern_atom_reply_t> opacity(xcb_intern_atom_reply(connection_, opacityCookie, nullptr));
    XcbReply<xcb_intern_atom_reply_t> compoundText(xcb_intern_atom_reply(connection_, compoundTextCookie, nullptr));
    if (!ewmhReady_ || !opacity || !compoundText || screenNumber_ < 0 || screenNumber_ >= ewmh_.nb_screens) {
        *error = "the server did not answer the setup requests";
        return false;
    }
    opacityAtom_ = opacity->atom;
    compoundTextAtom_ = compoundText->atom;
    root_ = ewmh_.screens[screenNumber_]->root;

    // Both version queries go out before either answer is awaited: one round trip, not two.
    const xcb_query_extension_reply_t* randr = xcb_get_extension_data(connection_, &xcb_randr_id);
    const xcb_query_extension_reply_t* res = xcb_get_extension_data(connection_, &xcb_res_id);
    bool hasRandr = randr != nullptr && randr->present;
    bool hasRes = res != nullptr && res->present;
    xcb_randr_query_version_cookie_t randrVersionCookie{};
    xcb_res_query_version_cookie_t resVersionCookie{};
    if (hasRandr) randrVersionCookie = xcb_randr_query_version(connection_, 1, 5);
    if (hasRes) resVersionCookie = xcb_res_query_version(connection_, 1, 2);
    if (hasRandr) {
        XcbReply<xcb_randr_query_version_reply_t> version(
            xcb_randr_query_version_reply(connection_, randrVersionCookie, nullptr));
        if (version && (version->major_version > 1 || version->minor_version >= 5)) {
            randrFirstEvent_ = randr->first_event;
        }
    }
    if (hasRes) {
        XcbReply<xcb_res_query_version_reply_t> version(xcb_res_query_version_reply(connection_, resVersionCookie, nullptr));
        hasClientIds_ = version && (version->server_major > 1 || version->server_minor >= 2);
    }
    return !broken();
}

void* XcbConnection::waitForReply(unsigned sequence, const Deadline& deadline) {
    // Requests still in xcb's buffer are sent only when a reply is actually waited for, so a
    // stream of requests leaves in few large writes.
    bool flushed = false;
    for (;;) {
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        if (xcb_poll_for_reply(connection_, sequence, &reply, &error) != 0) {
            std::free(error);
            return reply;
        }
        if (broken()) return nullptr;
        if (!flushed) {
            xcb_flush(connection_);
            flushed = true;
            continue;
        }
        int left = deadline.remainingMillis();
        if (left == 0) {
            discardReply(sequence);
            return nullptr;
        }
        pollfd socket{xcb_get_file_descriptor(connection_), POLLIN, 0};
        ::poll(&socket, 1, std::min(left, kPollSliceMillis));
    }
}

bool XcbConnection::replyArrived(unsigned sequence) {
    void* reply = nullptr;
    xcb_generic_error_t* error = nullptr;
    if (xcb_poll_for_reply(connection_, sequence, &reply, &error) == 0) return false;
    std::free(reply);
    std::free(error);
    return true;
}

}  // namespace zerlith::x11
