#include "providers/wlroots/wlroots_desktop.hpp"

#include "providers/wlroots/desktop_reading.hpp"
#include "providers/wlroots/sway_hot_keys.hpp"
#include "providers/wlroots/sway_ipc.hpp"
#include "providers/wlroots/wayland_connection.hpp"
#include "providers/wlroots/wlroots_display.hpp"
#include "providers/wlroots/wlroots_windows.hpp"
#include "providers/wlroots/wlroots_workspace.hpp"
#include "providers/xdg/desktop_entries.hpp"

namespace zerlith::wlroots {
namespace {

/// The compositor's changes, as its events on the connection tell them.
class WlrootsDesktopEvents final : public platform::DesktopEvents {
public:
    explicit WlrootsDesktopEvents(WaylandConnection& connection) : connection_(connection) {}
    int fileDescriptor() override { return connection_.changesDescriptor(); }
    std::vector<platform::DesktopChange> takeChanges() override { return connection_.takeChanges(); }

private:
    WaylandConnection& connection_;
};

}  // namespace

struct WlrootsDesktop::Parts {
    Parts(std::unique_ptr<WaylandConnection> opened, std::unique_ptr<SwayIpc> swayIpc, const std::string& swaySocket)
        : connection(std::move(opened)),
          sway(std::move(swayIpc)),
          hotKeys(sway ? std::make_unique<SwayHotKeys>(*sway, swaySocket) : nullptr),
          entries(xdg::DesktopEntries::fromEnvironment()),
          reader(*connection, sway.get(), swaySocket),
          display(reader),
          windows(reader),
          workspace(reader, windows, *entries),
          events(*connection) {}

    std::unique_ptr<WaylandConnection> connection;
    std::unique_ptr<SwayIpc> sway;
    std::unique_ptr<SwayHotKeys> hotKeys;
    std::unique_ptr<xdg::DesktopEntries> entries;
    DesktopReader reader;
    WlrootsDisplay display;
    WlrootsWindows windows;
    WlrootsWorkspace workspace;
    WlrootsDesktopEvents events;
};

WlrootsDesktop::WlrootsDesktop(std::unique_ptr<Parts> parts, platform::Clock& clock, platform::Dispatch& dispatch)
    : XdgDesktop(clock, dispatch), parts_(std::move(parts)) {}

WlrootsDesktop::~WlrootsDesktop() = default;

desktop::ProviderInfo WlrootsDesktop::provider() const {
    // Workspaces and moving between outputs need sway's IPC; the protocol alone offers neither.
    const bool sway = parts_->sway != nullptr;
    return {"wlroots",
            {.moveToScreen = sway,
             .workspaces = sway,
             .globalKeys = sway,
             .typedAheadCapture = false,
             .tabs = reachesTabs(),
             .permissions = false},
            desktop::WindowSystem::wayland};
}

desktop::Windows& WlrootsDesktop::windows() { return parts_->windows; }
platform::Workspace& WlrootsDesktop::workspace() { return parts_->workspace; }
platform::Display& WlrootsDesktop::display() { return parts_->display; }
platform::DesktopEvents* WlrootsDesktop::desktopEvents() { return &parts_->events; }
platform::HotKeys* WlrootsDesktop::hotKeys() { return parts_->hotKeys.get(); }

std::unique_ptr<WlrootsDesktop> connectWlrootsDesktop(const std::string& waylandDisplay, const std::string& swaySocket,
                                                      platform::Clock& clock, platform::Dispatch& dispatch,
                                                      std::string* error) {
    auto connection = WaylandConnection::open(waylandDisplay, error);
    if (!connection) return nullptr;
    std::unique_ptr<SwayIpc> sway;
    // Without the IPC the protocol still lists and raises windows: go on without it.
    if (!swaySocket.empty()) sway = SwayIpc::connect(swaySocket, nullptr);
    auto parts = std::make_unique<WlrootsDesktop::Parts>(std::move(connection), std::move(sway), sway ? swaySocket : "");
    return std::make_unique<WlrootsDesktop>(std::move(parts), clock, dispatch);
}

}  // namespace zerlith::wlroots
