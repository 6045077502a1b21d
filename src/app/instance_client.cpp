#include "app/instance_client.hpp"

#include <chrono>

#include "base/socket_peer.hpp"
#include "browser/local_socket.hpp"
#include "system/runtime_folder.hpp"

namespace zerlith::app {
namespace {

constexpr auto kAnswerTimeout = std::chrono::seconds(2);

}  // namespace

std::optional<std::string> instanceSocketPath(std::string* error) {
    const auto folder = runtimeFolder(error);
    if (!folder) return std::nullopt;
    return *folder + "/" + std::string(instance_request::socketName);
}

bool sendToInstance(const std::string& path, std::string_view request) {
    const auto socket = browser::connectTo(path);
    // The folder is private, but a socket of another user's there must not learn what was asked.
    if (!socket || !peerIsThisUser(socket.fd())) return false;
    if (!browser::writeAll(socket.fd(), std::string(request) + '\n', kAnswerTimeout)) return false;
    const auto answer = browser::readLine(socket.fd(), instance_request::accepted.size(), kAnswerTimeout);
    return answer == instance_request::accepted;
}

}  // namespace zerlith::app
