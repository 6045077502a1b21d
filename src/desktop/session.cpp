#include "desktop/session.hpp"

#include <cstdlib>

namespace zerlith::desktop {

Session Session::read(const std::function<const char*(const char*)>& variable) {
    const auto value = [&](const char* name) {
        const char* found = variable(name);
        return std::string(found != nullptr ? found : "");
    };
    return {.currentDesktop = value("XDG_CURRENT_DESKTOP"),
            .sessionType = value("XDG_SESSION_TYPE"),
            .waylandDisplay = value("WAYLAND_DISPLAY"),
            .display = value("DISPLAY"),
            .swaySocket = value("SWAYSOCK"),
            .desktopFile = value("ZERLITH_DESKTOP"),
            .provider = value("ZERLITH_PROVIDER")};
}

Session Session::fromEnvironment() {
    return read([](const char* name) -> const char* { return std::getenv(name); });
}

bool Session::desktopIs(std::string_view name) const {
    std::string_view rest = currentDesktop;
    while (!rest.empty()) {
        const auto end = rest.find(':');
        if (rest.substr(0, end) == name) return true;
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    return false;
}

}  // namespace zerlith::desktop
