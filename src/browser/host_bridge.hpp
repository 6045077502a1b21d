#pragma once

#include <cstdint>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "platform/browser_bridge.hpp"
#include "platform/clock.hpp"

namespace zerlith::browser {

/// Reaches the browsers through the hosts listening in the private runtime folder. Every host is
/// asked at once, and a host that does not answer within a quarter of a second is left out, so a
/// stopped host costs that moment and never a hang. One reading of all hosts serves every call
/// for a moment after it (the settings window and a refresh ask several times in a row) and calls
/// made while it is taken wait for it, until a browser says its tabs changed. A socket no host
/// answers on any more (its host was killed) is removed. Any thread.
class HostBridge final : public platform::BrowserBridge {
public:
    HostBridge(std::string folder, platform::Clock& clock) : folder_(std::move(folder)), clock_(clock) {}

    std::vector<platform::ConnectedBrowser> connectedBrowsers() override;
    bool selectTab(std::string_view kind, std::int64_t windowID, std::int64_t index, std::string_view url) override;
    void reportsChanged() override;

private:
    /// The hosts that answered, by socket, at a moment on the clock.
    struct Reading {
        std::uint64_t takenAt = 0;
        std::vector<std::pair<std::string, platform::ConnectedBrowser>> hosts;
    };
    using SharedReading = std::shared_ptr<const Reading>;

    /// The latest reading while it is fresh, else a new one.
    SharedReading reading();

    std::string folder_;
    platform::Clock& clock_;
    std::mutex mutex_;  ///< guards the members below
    std::uint64_t generation_ = 0;  ///< counts changes reported by the browsers
    SharedReading latest_;
    std::uint64_t latestGeneration_ = 0;
    /// The reading being taken and the generation it started in.
    std::optional<std::pair<std::uint64_t, std::shared_future<SharedReading>>> pending_;
};

}  // namespace zerlith::browser
