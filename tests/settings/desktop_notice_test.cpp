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

TEST(DesktopNoticeTest, TheSwayLinesQuoteThePathForSwayAndForSh) {
    const desktop::ProviderInfo sway{"wlroots", {.globalKeys = true}, WindowSystem::wayland};
    struct Case {
        const char* path;
        const char* program;  ///< as the lines write it
    };
    const Case cases[] = {
        {"/usr/local/bin/zerlith-2.1_b+c", "/usr/local/bin/zerlith-2.1_b+c"},
        {"/opt/my apps/zerlith", "'/opt/my apps/zerlith'"},
        {"/opt/a;b,c/zerlith", "'/opt/a;b,c/zerlith'"},
        {"/opt/$HOME $mod/zerlith", "'/opt/$$$$HOME $$$$mod/zerlith'"},
        {"/opt/it's/zerlith", R"('/opt/it'"'"'s/zerlith')"},
        {"/opt/back\\slash\\/zerlith", R"('/opt/back'"\\\\"'slash'"\\\\"'/zerlith')"},
        {"/opt/\"q\" [x] {y} `z` #/zerlith", R"('/opt/"q" [x] {y} `z` #/zerlith')"},
        {"/opt/two\nlines/zerlith", R"('/opt/two\nlines/zerlith')"},
    };
    for (const Case& c : cases) {
        const std::string program = c.program;
        EXPECT_THAT(desktopNotice(sway, true, c.path, false),
                    HasSubstr("\nbindsym Mod1+space exec " + program + " --palette\nbindsym Mod1+Tab exec " + program +
                              " --instant"))
            << c.path;
    }
}

}  // namespace
}  // namespace zerlith
