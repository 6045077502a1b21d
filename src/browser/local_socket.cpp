#include "browser/local_socket.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <span>
#include <utility>

namespace zerlith::browser {
namespace {

using Clock = std::chrono::steady_clock;

std::optional<sockaddr_un> address(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return std::nullopt;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

Socket unixSocket() { return Socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)); }

/// Waits until `fd` is ready for `events` or the deadline passes.
bool waitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(left));
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
}

/// Reads what `fd` has once it has some; none when the peer closes, the deadline passes or
/// reading fails.
std::optional<std::size_t> readSome(int fd, std::span<char> buffer, Clock::time_point deadline) {
    for (;;) {
        if (!waitFor(fd, POLLIN, deadline)) return std::nullopt;
        const auto count = ::read(fd, buffer.data(), buffer.size());
        if (count > 0) return static_cast<std::size_t>(count);
        if (count == 0 || (errno != EINTR && errno != EAGAIN)) return std::nullopt;
    }
}

}  // namespace

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        Socket closing(fd_);
        fd_ = other.release();
    }
    return *this;
}

Socket::~Socket() {
    if (fd_ >= 0) ::close(fd_);
}

int Socket::release() { return std::exchange(fd_, -1); }

Socket listenAt(const std::string& path) {
    const auto where = address(path);
    auto socket = unixSocket();
    if (!where || !socket) return {};
    ::unlink(path.c_str());
    if (::bind(socket.fd(), reinterpret_cast<const sockaddr*>(&*where), sizeof *where) != 0) return {};
    ::chmod(path.c_str(), 0600);
    if (::listen(socket.fd(), 16) != 0) return {};
    return socket;
}

Socket acceptNext(int listener, Socket& spare) {
    Socket accepted(::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (accepted || (errno != EMFILE && errno != ENFILE)) return accepted;
    spare = Socket();
    Socket shed(::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC));
    shed = Socket();
    spare = spareDescriptor();
    return {};
}

Socket spareDescriptor() { return Socket(::open("/dev/null", O_RDONLY | O_CLOEXEC)); }

std::optional<FileIdentity> identityOf(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) return std::nullopt;
    return FileIdentity{status.st_dev, status.st_ino};
}

void removeIfSame(const std::string& path, const FileIdentity& file) {
    const auto now = identityOf(path);
    if (now && now->device == file.device && now->inode == file.inode) ::unlink(path.c_str());
}

Socket connectTo(const std::string& path) {
    const auto where = address(path);
    Socket socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!where || !socket) return {};
    if (::connect(socket.fd(), reinterpret_cast<const sockaddr*>(&*where), sizeof *where) != 0) return {};
    return socket;
}

bool writeAll(int fd, std::string_view bytes, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!bytes.empty()) {
        if (!waitFor(fd, POLLOUT, deadline)) return false;
        const auto written = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (written < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            // A pipe rather than a socket (the browser's end of a host).
            if (errno != ENOTSOCK) return false;
            const auto piped = ::write(fd, bytes.data(), bytes.size());
            if (piped < 0 && errno != EINTR && errno != EAGAIN) return false;
            if (piped > 0) bytes.remove_prefix(static_cast<std::size_t>(piped));
            continue;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::optional<std::string> readMessage(int fd, FrameReader& reader, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    char buffer[65536];
    for (;;) {
        if (auto message = reader.next()) return message;
        const auto count = readSome(fd, buffer, deadline);
        if (!count) return std::nullopt;
        reader.feed({buffer, *count});
    }
}

std::optional<std::string> readLine(int fd, std::size_t longest, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    std::string received;
    char buffer[256];
    for (;;) {
        if (const auto end = received.find('\n'); end != std::string::npos) return received.substr(0, end);
        if (received.size() > longest) return std::nullopt;
        const auto count = readSome(fd, buffer, deadline);
        if (!count) return std::nullopt;
        received.append(buffer, *count);
    }
}

}  // namespace zerlith::browser
