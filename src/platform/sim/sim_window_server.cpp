#include "platform/sim/sim_window_server.hpp"

namespace zerlith::sim {
namespace {

namespace keys = platform::window_keys;

platform::WindowRecord record(const Window& window, bool titlesReadable) {
    platform::WindowRecord result;
    result.emplace(keys::kNumber, window.number);
    result.emplace(keys::kOwnerPID, std::int64_t{window.pid});
    result.emplace(keys::kLayer,
                   std::visit([](auto layer) { return platform::WindowValue(layer); }, window.layer));
    result.emplace(keys::kBounds, platform::WindowBounds{{"X", window.frame.x},
                                                         {"Y", window.frame.y},
                                                         {"Width", window.frame.width},
                                                         {"Height", window.frame.height}});
    if (window.title && titlesReadable) result.emplace(keys::kName, *window.title);
    if (window.alpha) result.emplace(keys::kAlpha, *window.alpha);
    result.emplace(keys::kIsOnscreen, window.onscreen);
    return result;
}

}  // namespace

bool SimWindowServer::preflightScreenCaptureAccess() {
    return state_.with([](const DesktopState& state) { return state.model.permissions.screenRecording; });
}

bool SimWindowServer::requestScreenCaptureAccess() {
    return state_.with([](DesktopState& state) {
        state.actionLog.push_back("requestScreenCaptureAccess");
        return state.model.permissions.screenRecording;
    });
}

std::vector<platform::WindowRecord> SimWindowServer::windowList() {
    return state_.with([](const DesktopState& state) {
        std::vector<platform::WindowRecord> records;
        for (const auto& window : state.model.windows)
            records.push_back(record(window, state.model.permissions.screenRecording));
        return records;
    });
}

}  // namespace zerlith::sim
