#pragma once

#include <string>

#include "platform/browser_bridge.hpp"

namespace zerlith::browser {

/// Reaches the browsers through the hosts listening in the private runtime folder: one request
/// per host and call, each bounded by a short timeout, so a hung host costs a moment, not a
/// hang. A socket no host answers on any more (its host was killed) is removed. Any thread.
class HostBridge final : public platform::BrowserBridge {
public:
    explicit HostBridge(std::string folder) : folder_(std::move(folder)) {}

    std::vector<platform::ConnectedBrowser> connectedBrowsers() override;
    bool selectTab(std::string_view kind, std::int64_t windowID, std::int64_t index, std::string_view url) override;

private:
    std::string folder_;
};

}  // namespace zerlith::browser
