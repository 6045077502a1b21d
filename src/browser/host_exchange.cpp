#include "browser/host_exchange.hpp"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "base/socket_peer.hpp"
#include "browser/local_socket.hpp"

namespace zerlith::browser {
namespace {

using Clock = std::chrono::steady_clock;

/// One host's side: the request still to write, then its answer as it arrives.
struct Exchange {
    Socket socket;
    std::string unsent;
    FrameReader reader;
    std::optional<std::string> answer;
    bool over = false;
};

Socket reach(const std::string& path) {
    const auto file = identityOf(path);
    auto socket = connectTo(path);
    if (!socket) {
        if (errno == ECONNREFUSED && file) removeIfSame(path, *file);  // left by a host that was killed
        return {};
    }
    return peerIsThisUser(socket.fd()) ? std::move(socket) : Socket();
}

/// Writes or reads what the socket takes now.
void advance(Exchange& exchange) {
    const int fd = exchange.socket.fd();
    if (!exchange.unsent.empty()) {
        const auto written = ::send(fd, exchange.unsent.data(), exchange.unsent.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (written > 0) exchange.unsent.erase(0, static_cast<std::size_t>(written));
        exchange.over = written < 0 && errno != EAGAIN && errno != EINTR;
        return;
    }
    char buffer[65536];
    const auto count = ::read(fd, buffer, sizeof buffer);
    if (count > 0) {
        exchange.reader.feed({buffer, static_cast<std::size_t>(count)});
        exchange.answer = exchange.reader.next();
    }
    exchange.over = exchange.answer || count == 0 || (count < 0 && errno != EAGAIN && errno != EINTR);
}

std::optional<nlohmann::json> parsedObject(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    auto value = nlohmann::json::parse(*text, nullptr, false);
    return value.is_object() ? std::optional(std::move(value)) : std::nullopt;
}

}  // namespace

std::vector<std::optional<nlohmann::json>> askHosts(const std::vector<std::string>& paths, const nlohmann::json& request,
                                                    std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    const auto framed = frame(request.dump());
    std::vector<Exchange> exchanges(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        exchanges[i].socket = reach(paths[i]);
        exchanges[i].unsent = framed;
        exchanges[i].over = !exchanges[i].socket;
    }
    for (;;) {
        std::vector<pollfd> watched;
        std::vector<Exchange*> waiting;
        for (auto& exchange : exchanges) {
            if (exchange.over) continue;
            watched.push_back({exchange.socket.fd(), static_cast<short>(exchange.unsent.empty() ? POLLIN : POLLOUT), 0});
            waiting.push_back(&exchange);
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (watched.empty() || left <= 0) break;
        if (::poll(watched.data(), watched.size(), static_cast<int>(left)) < 0 && errno != EINTR) break;
        for (std::size_t i = 0; i < watched.size(); ++i) {
            if (watched[i].revents != 0) advance(*waiting[i]);
        }
    }
    std::vector<std::optional<nlohmann::json>> answers;
    for (const auto& exchange : exchanges) answers.push_back(parsedObject(exchange.answer));
    return answers;
}

}  // namespace zerlith::browser
