#include "settings/desktop_notice.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zerlith {
namespace {

using desktop::WindowSystem;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

TEST(DesktopNoticeTest, TellsWhatTheDesktopLacksAndNothingElse) {
    const desktop::Capabilities keys{.globalKeys = true};
    const desktop::Capabilities noKeys{};
    struct Case {
        const char* what;
        desktop::ProviderInfo provider;
        bool waylandSession;
        bool takesKeys;
        ::testing::Matcher<std::string> notice;
    };
    const auto bindingLines =
        HasSubstr("\nbindsym Mod1+space exec /usr/bin/zerlith --palette\nbindsym Mod1+Tab exec /usr/bin/zerlith --instant");
    const Case cases[] = {
        {"X11 session", {"x11", keys, WindowSystem::x11}, false, true, IsEmpty()},
        {"XWayland under GNOME or KDE", {"x11", keys, WindowSystem::x11}, true, true,
         HasSubstr("only X11 windows are visible")},
        {"sway binds the keys itself", {"wlroots", keys, WindowSystem::wayland}, true, true, IsEmpty()},
        {"sway's bindings declined", {"wlroots", keys, WindowSystem::wayland}, true, false,
         AllOf(StartsWith("Zerlith binds no keys in sway now."), bindingLines)},
        {"a wlroots compositor without sway's IPC", {"wlroots", noKeys, WindowSystem::wayland}, true, false,
         AllOf(StartsWith("This compositor lets no application take keys"), bindingLines)},
        {"the simulated desktop inside a Wayland session", {"macos_model", keys, WindowSystem::any}, true, true,
         IsEmpty()},
    };
    for (const Case& c : cases) {
        EXPECT_THAT(desktopNotice(c.provider, c.waylandSession, "/usr/bin/zerlith", c.takesKeys), c.notice) << c.what;
    }
}

}  // namespace
}  // namespace zerlith
