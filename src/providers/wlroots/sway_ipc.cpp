#include "providers/wlroots/sway_ipc.hpp"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace zerlith::wlroots {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view kMagic = "i3-ipc";
constexpr std::size_t kHeaderSize = kMagic.size() + 2 * sizeof(std::uint32_t);
/// sway answers in well under this; longer means it hangs, and the switcher must not.
constexpr auto kReplyDeadline = std::chrono::seconds(2);
/// A tree of thousands of windows is a few MB; anything past this is not a reply of sway's.
constexpr std::uint32_t kLargestReply = 64u << 20;
/// Events carry this bit in their type.
constexpr std::uint32_t kEventBit = 0x80000000u;

int connectTo(const std::string& path, std::string* error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path)) {
        if (error) *error = "sway's IPC socket path is empty or too long";
        return -1;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        if (error) *error = "cannot connect to sway's IPC socket " + path + ": " + std::strerror(errno);
        if (fd >= 0) ::close(fd);
        return -1;
    }
    return fd;
}

bool sendMessage(int fd, std::uint32_t type, std::string_view payload) {
    std::string message(kMagic);
    const std::array<std::uint32_t, 2> header{static_cast<std::uint32_t>(payload.size()), type};
    message.append(reinterpret_cast<const char*>(header.data()), sizeof(header));
    message.append(payload);
    for (std::size_t sent = 0; sent < message.size();) {
        const ssize_t written = ::send(fd, message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        sent += static_cast<std::size_t>(written);
    }
    return true;
}

/// Reads `size` bytes by `deadline`; false when the line fails, closes or stays silent.
bool readExactly(int fd, char* into, std::size_t size, Clock::time_point deadline) {
    for (std::size_t done = 0; done < size;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd readable{fd, POLLIN, 0};
        const int ready = left.count() > 0 ? ::poll(&readable, 1, static_cast<int>(left.count())) : 0;
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        const ssize_t got = ::recv(fd, into + done, size - done, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

struct Received {
    std::uint32_t type = 0;
    std::string payload;
};

/// One message, whole by `deadline`; none when the line fails or carries something not sway's.
std::optional<Received> receiveMessage(int fd, Clock::time_point deadline) {
    std::array<char, kHeaderSize> header{};
    if (!readExactly(fd, header.data(), header.size(), deadline)) return std::nullopt;
    Received received;
    std::uint32_t size = 0;
    std::memcpy(&size, header.data() + kMagic.size(), sizeof(size));
    std::memcpy(&received.type, header.data() + kMagic.size() + sizeof(size), sizeof(received.type));
    if (std::string_view(header.data(), kMagic.size()) != kMagic || size > kLargestReply) return std::nullopt;
    received.payload.resize(size);
    if (!readExactly(fd, received.payload.data(), size, deadline)) return std::nullopt;
    return received;
}

std::optional<nlohmann::json> parsed(const std::string& payload) {
    auto json = nlohmann::json::parse(payload, nullptr, /*allow_exceptions=*/false);
    if (json.is_discarded()) return std::nullopt;
    return json;
}

}  // namespace

std::unique_ptr<SwayIpc> SwayIpc::connect(const std::string& path, std::string* error) {
    const int fd = connectTo(path, error);
    return fd >= 0 ? std::unique_ptr<SwayIpc>(new SwayIpc(fd)) : nullptr;
}

SwayIpc::~SwayIpc() {
    if (fd_ >= 0) ::close(fd_);
}

std::optional<nlohmann::json> SwayIpc::request(Message type, std::string_view payload) {
    std::lock_guard lock(mutex_);
    if (fd_ < 0) return std::nullopt;
    const auto wanted = static_cast<std::uint32_t>(type);
    // Events are never subscribed on this connection, so the next message is the reply.
    std::optional<Received> reply;
    if (sendMessage(fd_, wanted, payload)) reply = receiveMessage(fd_, Clock::now() + kReplyDeadline);
    if (!reply || reply->type != wanted) {
        // A reply that comes late would be taken for the next request's: give the line up.
        ::close(fd_);
        fd_ = -1;
        return std::nullopt;
    }
    return parsed(reply->payload);
}

bool SwayIpc::run(std::string_view commands) {
    const auto reply = request(Message::runCommand, commands);
    if (!reply || !reply->is_array() || reply->empty()) return false;
    for (const auto& outcome : *reply) {
        const auto success = outcome.is_object() ? outcome.find("success") : outcome.end();
        if (success == outcome.end() || *success != true) return false;
    }
    return true;
}

std::optional<pid_t> SwayIpc::peerProcess() {
    std::lock_guard lock(mutex_);
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (fd_ < 0 || ::getsockopt(fd_, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 || credentials.pid <= 0) {
        return std::nullopt;
    }
    return credentials.pid;
}

std::unique_ptr<SwayEvents> SwayEvents::subscribe(const std::string& path, const std::vector<std::string>& kinds,
                                                  Handler handler, std::string* error) {
    const int fd = connectTo(path, error);
    if (fd < 0) return nullptr;
    const auto type = static_cast<std::uint32_t>(SwayIpc::Message::subscribe);
    std::optional<Received> reply;
    if (sendMessage(fd, type, nlohmann::json(kinds).dump())) reply = receiveMessage(fd, Clock::now() + kReplyDeadline);
    const auto answer = reply && reply->type == type ? parsed(reply->payload) : std::nullopt;
    if (!answer || !answer->is_object() || answer->value("success", nlohmann::json(false)) != true) {
        if (error) *error = "sway refused the subscription to its events";
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<SwayEvents>(new SwayEvents(fd, std::move(handler)));
}

SwayEvents::SwayEvents(int fd, Handler handler)
    : fd_(fd), wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), handler_(std::move(handler)), reader_([this] { read(); }) {}

SwayEvents::~SwayEvents() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(wake_, &one, sizeof(one));
    reader_.join();
    ::close(wake_);
    ::close(fd_);
}

void SwayEvents::read() {
    while (handleNext()) {
    }
    live_ = false;
}

bool SwayEvents::handleNext() {
    pollfd watched[2] = {{fd_, POLLIN, 0}, {wake_, POLLIN, 0}};
    if (::poll(watched, 2, -1) < 0) return errno == EINTR;
    if (watched[1].revents != 0 || (watched[0].revents & POLLIN) == 0) return false;
    // An event's start is here; the rest follows at once.
    const auto event = receiveMessage(fd_, Clock::now() + kReplyDeadline);
    if (!event || (event->type & kEventBit) == 0) return false;
    if (const auto json = parsed(event->payload)) handler_(static_cast<Kind>(event->type & ~kEventBit), *json);
    return true;
}

std::string quotedForCommand(std::string_view value) {
    std::string quoted = "\"";
    for (const char c : value) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted += '"';
}

}  // namespace zerlith::wlroots
