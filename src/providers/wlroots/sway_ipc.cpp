#include "providers/wlroots/sway_ipc.hpp"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace zerlith::wlroots {
namespace {

constexpr std::string_view kMagic = "i3-ipc";
constexpr std::size_t kHeaderSize = kMagic.size() + 2 * sizeof(std::uint32_t);
/// sway answers in well under this; longer means it hangs, and the switcher must not.
constexpr auto kReplyDeadline = std::chrono::seconds(2);
/// A tree of thousands of windows is a few MB; anything past this is not a reply of sway's.
constexpr std::uint32_t kLargestReply = 64u << 20;

}  // namespace

std::unique_ptr<SwayIpc> SwayIpc::connect(const std::string& path, std::string* error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path)) {
        if (error) *error = "sway's IPC socket path is empty or too long";
        return nullptr;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        if (error) *error = "cannot connect to sway's IPC socket " + path + ": " + std::strerror(errno);
        if (fd >= 0) ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<SwayIpc>(new SwayIpc(fd));
}

SwayIpc::~SwayIpc() {
    if (fd_ >= 0) ::close(fd_);
}

std::optional<nlohmann::json> SwayIpc::request(Message type, std::string_view payload) {
    std::lock_guard lock(mutex_);
    if (fd_ < 0 || !send(type, payload)) return std::nullopt;
    const auto reply = receive(type);
    if (!reply) return std::nullopt;
    auto parsed = nlohmann::json::parse(*reply, nullptr, /*allow_exceptions=*/false);
    if (parsed.is_discarded()) return std::nullopt;
    return parsed;
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

bool SwayIpc::send(Message type, std::string_view payload) {
    std::string message(kMagic);
    const std::array<std::uint32_t, 2> header{static_cast<std::uint32_t>(payload.size()), static_cast<std::uint32_t>(type)};
    message.append(reinterpret_cast<const char*>(header.data()), sizeof(header));
    message.append(payload);
    std::size_t sent = 0;
    while (sent < message.size()) {
        const ssize_t written = ::send(fd_, message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            breakOff();
            return false;
        }
        sent += static_cast<std::size_t>(written);
    }
    return true;
}

std::optional<std::string> SwayIpc::receive(Message type) {
    // Events are never subscribed on this connection, so the next reply is the one asked for.
    std::array<char, kHeaderSize> header{};
    if (!readExactly(header.data(), header.size())) return std::nullopt;
    std::uint32_t size = 0;
    std::uint32_t replyType = 0;
    std::memcpy(&size, header.data() + kMagic.size(), sizeof(size));
    std::memcpy(&replyType, header.data() + kMagic.size() + sizeof(size), sizeof(replyType));
    if (std::string_view(header.data(), kMagic.size()) != kMagic || replyType != static_cast<std::uint32_t>(type) ||
        size > kLargestReply) {
        breakOff();
        return std::nullopt;
    }
    std::string payload(size, '\0');
    if (!readExactly(payload.data(), size)) return std::nullopt;
    return payload;
}

bool SwayIpc::readExactly(char* into, std::size_t size) {
    const auto deadline = std::chrono::steady_clock::now() + kReplyDeadline;
    std::size_t done = 0;
    while (done < size) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd readable{fd_, POLLIN, 0};
        const int ready = left.count() > 0 ? ::poll(&readable, 1, static_cast<int>(left.count())) : 0;
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) {
            // A reply that comes late would be taken for the next request's: give the line up.
            breakOff();
            return false;
        }
        const ssize_t got = ::recv(fd_, into + done, size - done, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            breakOff();
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

void SwayIpc::breakOff() {
    ::close(fd_);
    fd_ = -1;
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
