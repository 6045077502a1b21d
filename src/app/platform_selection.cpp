#include "app/platform_selection.hpp"

#include <iostream>

#include "platform/empty_desktop.hpp"
#include "platform/sim/sim_desktop.hpp"
#ifdef ZERLITH_HAS_X11
#include "platform/x11/x11_desktop.hpp"
#endif

namespace zerlith::app {

std::variant<std::unique_ptr<platform::Platform>, std::string> selectPlatform(
    const PlatformChoice& choice, platform::Clock& clock, platform::Dispatch& dispatch) {
    if (choice.desktopFile != nullptr) {
        auto loaded = sim::loadDesktopFile(choice.desktopFile);
        if (auto* error = std::get_if<std::string>(&loaded)) return *error;
        return std::make_unique<sim::SimDesktop>(std::get<sim::DesktopModel>(std::move(loaded)), clock, dispatch);
    }
#ifdef ZERLITH_HAS_X11
    if (choice.display != nullptr && *choice.display != '\0') {
        std::string error;
        if (auto desktop = x11::connectX11Desktop(clock, dispatch, &error)) return desktop;
        std::cerr << "zerlith: " << error << "; using an empty desktop\n";
    }
#endif
    return std::make_unique<platform::EmptyDesktop>(clock, dispatch);
}

}  // namespace zerlith::app
