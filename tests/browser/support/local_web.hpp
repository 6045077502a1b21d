#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

namespace zerlith::testing {

/// A web server on 127.0.0.1 for one test: every path "/NAME" is a page titled NAME.
class TitlePages {
public:
    TitlePages();
    ~TitlePages();
    TitlePages(const TitlePages&) = delete;
    TitlePages& operator=(const TitlePages&) = delete;

    /// The page's address, "http://127.0.0.1:PORT/NAME".
    std::string url(const std::string& name) const;

private:
    void serve();

    int listener_ = -1;
    int stop_[2] = {-1, -1};
    std::uint16_t port_ = 0;
    std::thread server_;
};

/// A browser's DevTools endpoint over its WebSocket on the loopback: what a test does to the
/// browser behind the extension's back (open a window, close a tab).
class DevTools {
public:
    /// Connects to `ws://127.0.0.1:port/path`; throws std::runtime_error when it cannot.
    DevTools(std::uint16_t port, const std::string& path);
    ~DevTools();
    DevTools(const DevTools&) = delete;
    DevTools& operator=(const DevTools&) = delete;

    /// Sends a command and returns its "result"; throws std::runtime_error on an error or no answer.
    nlohmann::json call(const std::string& method, const nlohmann::json& params);

private:
    void sendText(const std::string& text);
    std::string receiveText();

    int socket_ = -1;
    int lastID_ = 0;
};

}  // namespace zerlith::testing
