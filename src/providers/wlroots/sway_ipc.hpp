#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace zerlith::wlroots {

/// A connection to sway's IPC socket: one request at a time, each answered within a deadline.
/// Any thread; one lock keeps requests and their replies paired. A sway that goes away or stops
/// answering leaves a broken connection whose requests all fail at once.
class SwayIpc {
public:
    enum class Message : std::uint32_t { runCommand = 0, getWorkspaces = 1, getOutputs = 3, getTree = 4 };

    /// Connects to the socket at `path`; null, with a one-line reason in `error`, when it fails.
    static std::unique_ptr<SwayIpc> connect(const std::string& path, std::string* error);
    ~SwayIpc();
    SwayIpc(const SwayIpc&) = delete;
    SwayIpc& operator=(const SwayIpc&) = delete;

    /// The reply to one message; none when sway does not answer in time or answers nonsense.
    std::optional<nlohmann::json> request(Message type, std::string_view payload = {});
    /// Runs commands (";"-separated); true when every one succeeded.
    bool run(std::string_view commands);

private:
    explicit SwayIpc(int fd) : fd_(fd) {}
    bool send(Message type, std::string_view payload);
    std::optional<std::string> receive(Message type);
    bool readExactly(char* into, std::size_t size);
    void breakOff();

    std::mutex mutex_;
    int fd_;
};

/// Quotes a value for a command's criteria or arguments: "name", with \ and " escaped.
std::string quotedForCommand(std::string_view value);

}  // namespace zerlith::wlroots
