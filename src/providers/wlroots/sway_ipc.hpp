#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

namespace zerlith::wlroots {

/// A connection to sway's IPC socket: one request at a time, each answered within a deadline.
/// Any thread; one lock keeps requests and their replies paired. A sway that goes away or stops
/// answering leaves a broken connection whose requests all fail at once.
class SwayIpc {
public:
    enum class Message : std::uint32_t {
        runCommand = 0,
        subscribe = 2,
        getOutputs = 3,
        getTree = 4,
        getConfig = 9,
    };

    /// Connects to the socket at `path`; null, with a one-line reason in `error`, when it fails.
    static std::unique_ptr<SwayIpc> connect(const std::string& path, std::string* error);
    ~SwayIpc();
    SwayIpc(const SwayIpc&) = delete;
    SwayIpc& operator=(const SwayIpc&) = delete;

    /// The reply to one message; none when sway does not answer in time or answers nonsense.
    std::optional<nlohmann::json> request(Message type, std::string_view payload = {});
    /// Runs commands (";"-separated); true when every one succeeded.
    bool run(std::string_view commands);
    /// The process id of sway at the other end; none when the socket does not tell.
    std::optional<pid_t> peerProcess();

private:
    explicit SwayIpc(int fd) : fd_(fd) {}

    std::mutex mutex_;
    int fd_;
};

/// sway's events of the kinds subscribed to, read on a thread of its own and handed to a handler
/// there. Ends when this object goes away or sway does.
class SwayEvents {
public:
    enum class Kind : std::uint32_t { workspace = 0, window = 3, binding = 5, shutdown = 6 };
    using Handler = std::function<void(Kind kind, const nlohmann::json& event)>;

    /// Subscribes on a connection of its own; null, with a one-line reason in `error`, when
    /// sway cannot be reached or refuses.
    static std::unique_ptr<SwayEvents> subscribe(const std::string& path, const std::vector<std::string>& kinds,
                                                 Handler handler, std::string* error);
    ~SwayEvents();
    SwayEvents(const SwayEvents&) = delete;
    SwayEvents& operator=(const SwayEvents&) = delete;

    /// False once the stream has ended: events may then be missed.
    bool live() const { return live_; }

private:
    SwayEvents(int fd, Handler handler);
    void read();
    /// Waits for the next event and hands it on; false when the stream ends.
    bool handleNext();

    int fd_;
    int wake_;
    Handler handler_;
    std::atomic<bool> live_ = true;
    std::thread reader_;
};

/// Quotes a value for a command's criteria or arguments: "name", with \ and " escaped.
std::string quotedForCommand(std::string_view value);

}  // namespace zerlith::wlroots
