#include "settings/desktop_notice.hpp"

namespace zerlith {

std::string desktopNotice(const desktop::ProviderInfo& provider, bool waylandSession, std::string_view command,
                          bool takesKeys) {
    if (waylandSession && provider.windowSystem == desktop::WindowSystem::x11) {
        return "This Wayland session shows other applications' windows to no one but its own shell: "
               "only X11 windows are visible.";
    }
    if (provider.windowSystem != desktop::WindowSystem::wayland || takesKeys) return {};
    const std::string intro = provider.capabilities.globalKeys
                                  ? "Zerlith binds no keys in sway now. Add these lines to its configuration:"
                                  : "This compositor lets no application take keys of its own. Bind the switcher in "
                                    "its configuration, as sway writes it:";
    const std::string started(command);
    return intro + "\nbindsym Mod1+space exec " + started + " --palette\nbindsym Mod1+Tab exec " + started +
           " --instant";
}

}  // namespace zerlith
