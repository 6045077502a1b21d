#include "settings/desktop_notice.hpp"

namespace zerlith {

std::string desktopNotice(const desktop::ProviderInfo& provider, bool waylandSession, std::string_view command) {
    if (waylandSession && provider.windowSystem == desktop::WindowSystem::x11) {
        return "This Wayland session shows other applications' windows to no one but its own shell: "
               "only X11 windows are visible.";
    }
    if (provider.windowSystem == desktop::WindowSystem::wayland && !provider.capabilities.globalKeys) {
        const std::string started(command);
        return "This compositor lets no application take keys of its own. Bind the switcher in its "
               "configuration, as sway writes it:\nbindsym Mod1+space exec " +
               started + " --palette\nbindsym Mod1+Tab exec " + started + " --instant";
    }
    return {};
}

}  // namespace zerlith
