#include "providers/x11/x11_desktop.hpp"

#include <csignal>

#include "providers/x11/desktop_cache.hpp"
#include "providers/xdg/desktop_entries.hpp"
#include "providers/x11/window_activation.hpp"
#include "providers/x11/x11_desktop_events.hpp"
#include "providers/x11/x11_display.hpp"
#include "providers/x11/x11_hot_keys.hpp"
#include "providers/x11/x11_windows.hpp"
#include "providers/x11/x11_workspace.hpp"

namespace zerlith::x11 {
namespace {

/// How long connecting may take before the display is given up as not answering.
constexpr double kConnectTimeout = 5.0;

}  // namespace

struct X11Desktop::Parts {
    Parts(std::unique_ptr<XcbConnection> opened, platform::Clock& clock, platform::Dispatch& dispatch)
        : connection(std::move(opened)),
          cache(*connection),
          entries(xdg::DesktopEntries::fromEnvironment()),
          activation(*connection, cache),
          workspace(cache, *entries, activation),
          display(*connection, cache),
          windows(*connection, cache, activation, display, clock, dispatch),
          events(*connection, cache),
          hotKeys(*connection, dispatch,
                  [this](unsigned sequence, const Deadline& deadline) { return cache.waitForReply(sequence, deadline); }) {
        cache.setKeyEventSink([this](const xcb_generic_event_t& event) { return hotKeys.handleEvent(event); });
        cache.setActiveWindowListener([this] { hotKeys.activeWindowChanged(); });
        activation.setRequestListener([this](xcb_window_t window) { hotKeys.activationRequested(window); });
    }

    std::unique_ptr<XcbConnection> connection;
    DesktopCache cache;
    std::unique_ptr<xdg::DesktopEntries> entries;
    WindowActivation activation;
    X11Workspace workspace;
    X11Display display;
    X11Windows windows;
    X11DesktopEvents events;
    X11HotKeys hotKeys;
};

X11Desktop::X11Desktop(std::unique_ptr<Parts> parts, platform::Clock& clock, platform::Dispatch& dispatch)
    : XdgDesktop(clock, dispatch), parts_(std::move(parts)) {}

X11Desktop::~X11Desktop() = default;

desktop::ProviderInfo X11Desktop::provider() const {
    return {"x11",
            {.moveToScreen = true,
             .workspaces = true,
             .globalKeys = true,
             .typedAheadCapture = true,
             .tabs = reachesTabs(),
             .permissions = false},
            desktop::WindowSystem::x11};
}

desktop::Windows& X11Desktop::windows() { return parts_->windows; }
platform::Workspace& X11Desktop::workspace() { return parts_->workspace; }
platform::Display& X11Desktop::display() { return parts_->display; }
platform::DesktopEvents* X11Desktop::desktopEvents() { return &parts_->events; }
platform::HotKeys* X11Desktop::hotKeys() { return &parts_->hotKeys; }

std::unique_ptr<X11Desktop> connectX11Desktop(platform::Clock& clock, platform::Dispatch& dispatch,
                                              std::string* error, const std::string& displayName) {
    // xcb writes with plain writev: once the server has gone, a write would raise SIGPIPE and end
    // the process. Ignored, the write fails and the connection reports its error instead.
    // A handler the program installed itself is left alone.
    struct sigaction current {};
    if (::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) std::signal(SIGPIPE, SIG_IGN);
    auto connection = XcbConnection::open(displayName, kConnectTimeout, error);
    if (!connection) return nullptr;
    return std::make_unique<X11Desktop>(std::make_unique<X11Desktop::Parts>(std::move(connection), clock, dispatch), clock, dispatch);
}

}  // namespace zerlith::x11
