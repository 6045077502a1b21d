#include "app/runtime.hpp"

#include <iostream>

#include "platform/empty_desktop.hpp"
#include "platform/manual_dispatch.hpp"
#include "platform/sim/sim_desktop.hpp"
#include "platform/thread_dispatch.hpp"
#ifdef ZERLITH_HAS_X11
#include "browser/host_bridge.hpp"
#include "platform/x11/x11_desktop.hpp"
#include "system/runtime_folder.hpp"
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

}  // namespace

std::variant<Runtime, std::string> startRuntime(const DesktopChoice& choice) {
    if (choice.desktopFile != nullptr) return simulated(choice);
    Runtime runtime = realTime(choice);
#ifdef ZERLITH_HAS_X11
    if (choice.display != nullptr && *choice.display != '\0') {
        std::string error;
        auto desktop = x11::connectX11Desktop(*runtime.clock, *runtime.dispatch, &error);
        if (desktop) {
            // Without a private folder there is no safe way to the hosts: no tabs, then.
            if (const auto folder = runtimeFolder(&error))
                desktop->setBrowserBridge(std::make_unique<browser::HostBridge>(*folder, *runtime.clock));
            runtime.desktop = std::move(desktop);
            return runtime;
        }
        std::cerr << "zerlith: " << error << "; using an empty desktop\n";
    }
#endif
    runtime.desktop = std::make_unique<platform::EmptyDesktop>(*runtime.clock, *runtime.dispatch);
    return runtime;
}

}  // namespace zerlith::app
