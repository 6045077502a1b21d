#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "browser/native_message.hpp"

/// The Unix sockets between Zerlith's processes (they live in the private runtime folder). Any
/// thread; blocking calls are bounded by their timeout.
namespace zerlith::browser {

/// An open file descriptor, closed with its owner.
class Socket {
public:
    Socket() = default;
    explicit Socket(int fd) : fd_(fd) {}
    Socket(Socket&& other) noexcept : fd_(other.release()) {}
    Socket& operator=(Socket&& other) noexcept;
    ~Socket();

    int fd() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release();

private:
    int fd_ = -1;
};

/// A listening socket at `path` (a stale one there is replaced); closed socket on failure.
Socket listenAt(const std::string& path);

/// Takes the next connection off `listener`'s queue, after poll found one waiting. When this
/// process has run out of descriptors, the caller is taken off the queue with `spare` (an open
/// descriptor kept for this, see spareDescriptor()) and closed at once: the queue drains and a
/// poll on the listener does not spin. A closed socket then, and on any other failure.
Socket acceptNext(int listener, Socket& spare);
/// A descriptor to give up when the process runs out of them.
Socket spareDescriptor();

/// Which file a name led to: device and inode.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
};
/// The file `path` names now (the link itself, not what it points to); none when there is none.
std::optional<FileIdentity> identityOf(const std::string& path);
/// Removes `path` when it still names `file`: another process may have put its own there since.
void removeIfSame(const std::string& path, const FileIdentity& file);
/// A non-blocking connection to `path`, made without waiting: a closed socket when nothing
/// listens there (errno ECONNREFUSED) or its listener lets connections queue up unaccepted
/// (EAGAIN: a stopped host, a stalled switcher).
Socket connectTo(const std::string& path);

/// Writes all of `bytes`; false when the peer is gone or `timeout` passes.
bool writeAll(int fd, std::string_view bytes, std::chrono::milliseconds timeout);
/// The next message from `fd` through `reader`; none when the peer closes or `timeout` passes.
std::optional<std::string> readMessage(int fd, FrameReader& reader, std::chrono::milliseconds timeout);
/// The first line from `fd`, without its newline; none when the peer closes, `timeout` passes or
/// `longest` bytes come without one. What follows the line is dropped.
std::optional<std::string> readLine(int fd, std::size_t longest, std::chrono::milliseconds timeout);

}  // namespace zerlith::browser
