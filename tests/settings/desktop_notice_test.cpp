#include "settings/desktop_notice.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zerlith {
namespace {

using desktop::WindowSystem;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

TEST(DesktopNoticeTest, TellsWhatTheDesktopLacksAndNothingElse) {
    const desktop::Capabilities keys{.globalKeys = true};
    const desktop::Capabilities noKeys{};
    struct Case {
        const char* what;
        desktop::ProviderInfo provider;
        bool waylandSession;
        ::testing::Matcher<std::string> notice;
    };
    const Case cases[] = {
        {"X11 session", {"x11", keys, WindowSystem::x11}, false, IsEmpty()},
        {"XWayland under GNOME or KDE", {"x11", keys, WindowSystem::x11}, true, HasSubstr("only X11 windows are visible")},
        {"sway binds the keys itself", {"wlroots", keys, WindowSystem::wayland}, true, IsEmpty()},
        {"a wlroots compositor without sway's IPC",
         {"wlroots", noKeys, WindowSystem::wayland},
         true,
         HasSubstr("bindsym Mod1+space exec /usr/bin/zerlith --palette\nbindsym Mod1+Tab exec /usr/bin/zerlith --instant")},
        {"the simulated desktop inside a Wayland session", {"macos_model", keys, WindowSystem::any}, true, IsEmpty()},
    };
    for (const Case& c : cases) {
        EXPECT_THAT(desktopNotice(c.provider, c.waylandSession, "/usr/bin/zerlith"), c.notice) << c.what;
    }
}

}  // namespace
}  // namespace zerlith
