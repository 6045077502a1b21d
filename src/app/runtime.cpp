#include "app/runtime.hpp"

#include <iostream>

#include "desktop/provider_registry.hpp"
#include "platform/manual_dispatch.hpp"
#include "platform/sim/sim_desktop.hpp"
#include "platform/thread_dispatch.hpp"
#include "providers/empty/empty_desktop.hpp"

namespace zerlith::app {
namespace {

using desktop::Session;

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
    auto loaded = sim::loadDesktopFile(choice.session.desktopFile);
    if (auto* error = std::get_if<std::string>(&loaded)) return std::move(*error);
    auto& model = std::get<sim::DesktopModel>(loaded);
    Runtime runtime = model.virtualTime && !choice.makeDispatch
                          ? virtualTime(model.now.value_or(platform::SystemClock().now()))
                          : realTime(choice);
    runtime.desktop = std::make_unique<sim::SimDesktop>(std::move(model), *runtime.clock, *runtime.dispatch);
    return runtime;
}

/// Why a session with no live desktop has none, when no provider said.
std::string noDesktopReason(const Session& session) {
    if (!session.wayland() && !session.x11()) {
        return "no desktop found: neither DISPLAY nor WAYLAND_DISPLAY is set" +
               (session.sessionType.empty() ? "" : " (XDG_SESSION_TYPE=" + session.sessionType + ")");
    }
    return "no provider in this build serves this session (XDG_CURRENT_DESKTOP=" + session.currentDesktop +
           ", WAYLAND_DISPLAY=" + session.waylandDisplay + ", DISPLAY=" + session.display + ")";
}

/// Why a Wayland session's own windows are not seen, when no provider said.
std::string waylandWindowsReason(const Session& session) {
    return "no provider in this build lists the Wayland windows of " +
           (session.currentDesktop.empty() ? "the Wayland display " + session.waylandDisplay : session.currentDesktop);
}

/// The desktop of the first of `providers` that connects, or null. Either way at most one line on
/// standard error: that only X11 windows are seen in a Wayland session, or why there is no desktop.
std::unique_ptr<platform::Platform> connectLive(const Session& session, const std::vector<const desktop::Provider*>& providers,
                                                Runtime& runtime) {
    std::string failure;  // the latest provider's reason, when one failed
    for (const desktop::Provider* provider : providers) {
        auto connection = provider->connect(session, *runtime.clock, *runtime.dispatch);
        if (auto* reason = std::get_if<std::string>(&connection)) {
            failure = std::move(*reason);
            continue;
        }
        auto desktop = std::get<std::unique_ptr<platform::Platform>>(std::move(connection));
        // KWin and Mutter keep other applications' windows from Wayland clients; XWayland shows
        // the X11 ones. Not worth a word when the user asked for this provider.
        if (session.wayland() && session.provider.empty() &&
            desktop->provider().windowSystem == desktop::WindowSystem::x11) {
            std::cerr << "zerlith: " << (failure.empty() ? waylandWindowsReason(session) : failure)
                      << "; only X11 windows are visible\n";
        }
        return desktop;
    }
    std::cerr << "zerlith: " << (failure.empty() ? noDesktopReason(session) : failure) << "; using an empty desktop\n";
    return nullptr;
}

}  // namespace

std::variant<Runtime, std::string> startRuntime(const DesktopChoice& choice) {
    if (!choice.session.desktopFile.empty()) return simulated(choice);
    auto providers = desktop::providersFor(choice.session, desktop::registeredProviders());
    if (auto* error = std::get_if<std::string>(&providers)) return std::move(*error);
    Runtime runtime = realTime(choice);
    runtime.desktop = connectLive(choice.session, std::get<std::vector<const desktop::Provider*>>(providers), runtime);
    if (!runtime.desktop) runtime.desktop = std::make_unique<platform::EmptyDesktop>(*runtime.clock, *runtime.dispatch);
    return runtime;
}

}  // namespace zerlith::app
