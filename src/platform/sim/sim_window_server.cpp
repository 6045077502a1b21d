#include "platform/sim/sim_window_server.hpp"

namespace zerlith::sim {
namespace {

platform::WindowRecord record(const Window& window, bool titlesReadable) {
    platform::WindowRecord result;
    result.number = window.number;
    result.ownerPID = std::int64_t{window.pid};
    result.layer = std::visit([](auto layer) { return platform::WindowValue(layer); }, window.layer);
    result.bounds = platform::WindowBounds{window.frame.x, window.frame.y, window.frame.width, window.frame.height};
    if (window.title && titlesReadable) result.name = *window.title;
    if (window.alpha) result.alpha = *window.alpha;
    result.isOnscreen = window.onscreen;
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
        records.reserve(state.model.windows.size());
        for (const auto& window : state.model.windows)
            records.push_back(record(window, state.model.permissions.screenRecording));
        return records;
    });
}

}  // namespace zerlith::sim
