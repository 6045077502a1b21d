#include "browser/support/local_web.hpp"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

namespace zerlith::testing {
namespace {

/// Waits up to fifteen seconds for `fd` to be readable: a browser that starts beside a parallel
/// build answers its first protocol message after more than five.
bool readable(int fd) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, 15000) > 0;
}

void sendAll(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const auto count = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count <= 0) throw std::runtime_error("the peer closed the connection");
        sent += static_cast<std::size_t>(count);
    }
}

std::string receiveExactly(int fd, std::size_t size) {
    std::string bytes(size, '\0');
    std::size_t got = 0;
    while (got < size) {
        if (!readable(fd)) throw std::runtime_error("no answer");
        const auto count = ::recv(fd, bytes.data() + got, size - got, 0);
        if (count <= 0) throw std::runtime_error("the peer closed the connection");
        got += static_cast<std::size_t>(count);
    }
    return bytes;
}

sockaddr_in loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

}  // namespace

TitlePages::TitlePages() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    auto address = loopback(0);
    socklen_t size = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0 || ::pipe2(stop_, O_CLOEXEC) != 0) {
        throw std::runtime_error("cannot serve pages on the loopback");
    }
    port_ = ntohs(address.sin_port);
    server_ = std::thread([this] { serve(); });
}

TitlePages::~TitlePages() {
    ::close(stop_[1]);
    server_.join();
    ::close(stop_[0]);
    ::close(listener_);
}

std::string TitlePages::url(const std::string& name) const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/" + name;
}

void TitlePages::serve() {
    for (;;) {
        pollfd watched[] = {{listener_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
        if (::poll(watched, 2, -1) < 0 || watched[1].revents != 0) return;
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        char request[4096] = {};
        if (readable(client)) ::recv(client, request, sizeof request - 1, 0);
        // "GET /NAME HTTP/1.1": the name is the page's title.
        const std::string line(request, ::strcspn(request, "\r\n"));
        const auto start = line.find('/') + 1;
        const auto name = line.substr(start, line.find(' ', start) - start);
        const std::string body = "<!doctype html><title>" + name + "</title><p>" + name;
        try {
            sendAll(client, "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                                std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        } catch (const std::runtime_error&) {
        }
        ::close(client);
    }
}

DevTools::DevTools(std::uint16_t port, const std::string& path) {
    socket_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const auto address = loopback(port);
    if (::connect(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("cannot reach the browser's DevTools");
    sendAll(socket_, "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                         "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: "
                         "dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n");
    std::string answer;
    while (answer.find("\r\n\r\n") == std::string::npos) answer += receiveExactly(socket_, 1);
    if (answer.find(" 101 ") == std::string::npos) throw std::runtime_error("DevTools refused: " + answer);
}

DevTools::~DevTools() { ::close(socket_); }

nlohmann::json DevTools::call(const std::string& method, const nlohmann::json& params) {
    const int id = ++lastID_;
    sendText(nlohmann::json{{"id", id}, {"method", method}, {"params", params}}.dump());
    for (;;) {
        const auto answer = nlohmann::json::parse(receiveText(), nullptr, false);
        if (!answer.is_object() || answer.value("id", 0) != id) continue;  // an event
        if (answer.contains("error")) throw std::runtime_error(method + ": " + answer["error"].dump());
        return answer["result"];
    }
}

void DevTools::sendText(const std::string& text) {
    // A client's frame is masked (Firefox refuses a mask of zeros).
    constexpr char kMask[] = {'\x5a', '\x3c', '\x71', '\x0e'};
    std::string frame{'\x81'};
    if (text.size() < 126) {
        frame += static_cast<char>(0x80 | text.size());
    } else {
        frame += static_cast<char>(0x80 | 126);
        frame += static_cast<char>(text.size() >> 8);
        frame += static_cast<char>(text.size() & 0xff);
    }
    frame.append(kMask, sizeof kMask);
    for (std::size_t i = 0; i < text.size(); ++i) frame += static_cast<char>(text[i] ^ kMask[i % sizeof kMask]);
    sendAll(socket_, frame);
}

std::string DevTools::receiveText() {
    const auto head = receiveExactly(socket_, 2);
    std::uint64_t length = static_cast<unsigned char>(head[1]) & 0x7f;
    const int extended = length == 126 ? 2 : length == 127 ? 8 : 0;
    if (extended > 0) {
        const auto bytes = receiveExactly(socket_, static_cast<std::size_t>(extended));
        length = 0;
        for (const char byte : bytes) length = length << 8 | static_cast<unsigned char>(byte);
    }
    return receiveExactly(socket_, static_cast<std::size_t>(length));
}

}  // namespace zerlith::testing
