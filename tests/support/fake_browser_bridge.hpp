#pragma once

#include <string>
#include <tuple>
#include <vector>

#include "support/forwarding_platform.hpp"

namespace zerlith::testing {

/// Stands for the browsers' extensions: what each connected browser reports, and which tabs it
/// was asked to select. Installed over the current platform for its lifetime.
class FakeBrowserBridge final : public platform::BrowserBridge {
public:
    using Selection = std::tuple<std::string, std::int64_t, std::int64_t, std::string>;

    std::vector<platform::ConnectedBrowser> connectedBrowsers() override { return connected; }
    bool selectTab(std::string_view kind, std::int64_t windowID, std::int64_t index, std::string_view url) override {
        selections.emplace_back(std::string(kind), windowID, index, std::string(url));
        return true;
    }

    std::vector<platform::ConnectedBrowser> connected;
    std::vector<Selection> selections;
};

class BridgedPlatform final : public ForwardingPlatform {
public:
    BridgedPlatform() : ForwardingPlatform(platform::current()), installed_(*this) {}

    /// As on Linux: tabs through the extension, no permissions to grant.
    desktop::ProviderInfo provider() const override {
        auto info = inner_.provider();
        info.capabilities.tabs = true;
        info.capabilities.permissions = false;
        return info;
    }
    platform::BrowserBridge* browserBridge() override { return &bridge; }

    FakeBrowserBridge bridge;

private:
    platform::ScopedPlatform installed_;
};

}  // namespace zerlith::testing
