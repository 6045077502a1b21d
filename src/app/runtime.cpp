#include "app/runtime.hpp"

#include <iostream>
#include <vector>

#include "platform/manual_dispatch.hpp"
#include "platform/sim/sim_desktop.hpp"
#include "platform/thread_dispatch.hpp"
#include "providers/empty/empty_desktop.hpp"
#if defined(ZERLITH_HAS_X11) || defined(ZERLITH_HAS_WAYLAND)
#include "browser/host_bridge.hpp"
#include "providers/xdg/xdg_desktop.hpp"
#include "system/runtime_folder.hpp"
#endif
#ifdef ZERLITH_HAS_X11
#include "providers/x11/x11_desktop.hpp"
#endif
#ifdef ZERLITH_HAS_WAYLAND
#include "providers/wlroots/wlroots_desktop.hpp"
#endif

namespace zerlith::app {
namespace {

Runtime realTime(const DesktopChoice& choice) {
    return {std::make_unique<platform::SystemClock>(),
            choice.makeDispatch ? choice.makeDispatch() : std::make_unique<platform::ThreadDispatch>(), nullptr};
}

Runtime virtualTime(double startNow) {
    auto clock = std::make_unique<platform::ManualClock>(startNow);
    auto dispatch = std::make_unique<platform::ManualDispatch>(*clock);
    return {std::move(clock), std::move(dispatch), nullptr};
}

std::variant<Runtime, std::string> simulated(const DesktopChoice& choice) {
    auto loaded = sim::loadDesktopFile(choice.desktopFile);
    if (auto* error = std::get_if<std::string>(&loaded)) return std::move(*error);
    auto& model = std::get<sim::DesktopModel>(loaded);
    Runtime runtime = model.virtualTime && !choice.makeDispatch
                          ? virtualTime(model.now.value_or(platform::SystemClock().now()))
                          : realTime(choice);
    runtime.desktop = std::make_unique<sim::SimDesktop>(std::move(model), *runtime.clock, *runtime.dispatch);
    return runtime;
}

#if defined(ZERLITH_HAS_X11) || defined(ZERLITH_HAS_WAYLAND)
/// Hands a live desktop the way to the browsers' extensions.
std::unique_ptr<platform::Platform> withBrowserBridge(std::unique_ptr<xdg::XdgDesktop> desktop, Runtime& runtime) {
    if (!desktop) return nullptr;
    // Without a private folder there is no safe way to the hosts: no tabs, then.
    std::string noFolder;
    if (const auto folder = runtimeFolder(&noFolder))
        desktop->setBrowserBridge(std::make_unique<browser::HostBridge>(*folder, *runtime.clock));
    return desktop;
}
#endif

#ifdef ZERLITH_HAS_WAYLAND
std::unique_ptr<platform::Platform> connectWlroots(const DesktopChoice& choice, Runtime& runtime, std::string* error) {
    if (choice.waylandDisplay == nullptr || *choice.waylandDisplay == '\0') return nullptr;
    auto desktop = wlroots::connectWlrootsDesktop(*runtime.clock, *runtime.dispatch, error);
    // GNOME and KDE keep other applications' windows from Wayland clients; XWayland's X11
    // desktop, tried next, shows the X11 windows only.
    if (!desktop && !error->empty() && choice.display != nullptr && *choice.display != '\0') {
        std::cerr << "zerlith: " << *error << "; only X11 windows are visible\n";
        error->clear();
    }
    return withBrowserBridge(std::move(desktop), runtime);
}
#endif

#ifdef ZERLITH_HAS_X11
std::unique_ptr<platform::Platform> connectX11(const DesktopChoice& choice, Runtime& runtime, std::string* error) {
    if (choice.display == nullptr || *choice.display == '\0') return nullptr;
    return withBrowserBridge(x11::connectX11Desktop(*runtime.clock, *runtime.dispatch, error), runtime);
}
#endif

/// A kind of live desktop. `connect` gives the desktop of this session, or null: with a reason in
/// `error` when the session is of this kind but cannot be reached, without one when it is not.
struct LiveDesktop {
    std::unique_ptr<platform::Platform> (*connect)(const DesktopChoice&, Runtime&, std::string* error);
};

/// Tried in this order; the first that connects runs. A new kind of desktop adds its line here.
const std::vector<LiveDesktop> kLiveDesktops = {
#ifdef ZERLITH_HAS_WAYLAND
    {connectWlroots},
#endif
#ifdef ZERLITH_HAS_X11
    {connectX11},
#endif
};

}  // namespace

std::variant<Runtime, std::string> startRuntime(const DesktopChoice& choice) {
    if (choice.desktopFile != nullptr) return simulated(choice);
    Runtime runtime = realTime(choice);
    std::string error;
    for (const LiveDesktop& live : kLiveDesktops) {
        if ((runtime.desktop = live.connect(choice, runtime, &error))) return runtime;
    }
    if (!error.empty()) std::cerr << "zerlith: " << error << "; using an empty desktop\n";
    runtime.desktop = std::make_unique<platform::EmptyDesktop>(*runtime.clock, *runtime.dispatch);
    return runtime;
}

}  // namespace zerlith::app
