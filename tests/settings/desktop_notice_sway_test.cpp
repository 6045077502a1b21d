// The sway lines the settings window suggests, pasted into a real sway's configuration: each key
// runs the program at a hostile path, whole, with its argument.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "providers/wlroots/support/sway_session.hpp"
#include "settings/desktop_notice.hpp"
#include "support/temp_folder.hpp"

namespace zerlith {
namespace {

namespace fs = std::filesystem;
using wlroots::testing::ChildProcess;
using wlroots::testing::eventually;
using wlroots::testing::SwaySession;
using desktop::WindowSystem;

/// The line of `notice` that binds Alt+Space, bound to `key` instead.
std::string paletteLine(const std::string& notice, const std::string& key) {
    std::istringstream lines(notice);
    const std::string prefix = "bindsym Mod1+space ";
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with(prefix)) return "bindsym " + key + " " + line.substr(prefix.size());
    }
    return "";
}

TEST(DesktopNoticeSwayTest, EachSuggestedLineRunsTheProgramAtAHostilePathWithItsArgument) {
    for (const char* program : {"sway", "wtype"}) {
        if (!SwaySession::installed(program)) GTEST_SKIP() << program << " is not installed";
    }
    const desktop::ProviderInfo sway{"wlroots", {.globalKeys = true}, WindowSystem::wayland};
    const std::vector<std::string> folders = {"my apps", "a;b,c", "$HOME $mod", "it's", "back\\slash\\",
                                              "\"q\" [x] {y} `z` #", "two\nlines"};
    testing::TempFolder root;
    // sway's user (when the tests run as root) runs the programs, which write here.
    fs::permissions(root.path(), fs::perms::all);
    // A variable whose name the path holds must not be put in.
    SwaySession::Options options;
    options.extraConfig = {"set $mod Mod4"};
    for (std::size_t i = 0; i < folders.size(); ++i) {
        const fs::path program = root.path() / folders[i] / "zerlith";
        testing::writeText(program, "#!/bin/sh\nprintf '%s' \"$1\" > '" + (root.path() / "ran").string() +
                                        std::to_string(i) + "'\n");
        fs::permissions(program, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                     fs::perms::others_read | fs::perms::others_exec);
        options.extraConfig.push_back(paletteLine(desktopNotice(sway, true, program.string(), false),
                                                  "Mod1+F" + std::to_string(i + 1)));
    }
    SwaySession session(options);
    for (std::size_t i = 0; i < folders.size(); ++i) {
        SCOPED_TRACE(options.extraConfig[i + 1]);
        const fs::path ran = root.path() / ("ran" + std::to_string(i));
        EXPECT_TRUE(eventually([&] {
            // The start delay keeps wtype's first key from being lost.
            ChildProcess::runToEnd({"wtype", "-s", "150", "-M", "alt", "-k", "F" + std::to_string(i + 1), "-m", "alt"}, 10.0);
            return eventually([&] { return fs::exists(ran); }, 2.0);
        }, 20.0));
        EXPECT_EQ(testing::readText(ran), "--palette");
    }
}

}  // namespace
}  // namespace zerlith
