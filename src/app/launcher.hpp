#pragma once

#include "app/runtime.hpp"
#include "cli/command_line.hpp"

namespace zerlith::app {

/// Application mode as the user starts it, without loading Qt, so that `zerlith --palette` on a
/// hot key stays quick: hands the request to the instance that already runs ("--palette" toggles
/// its palette, "--instant" switches, "--settings" opens them; otherwise it is reopened), or
/// replaces this process with the application (zerlith-app), which becomes that instance. The
/// exit status when it returns: 0 handed over, 1 for a request no instance runs to take or an
/// application that cannot be started, 2 without any display to show it on.
int launchApplication(int argc, char** argv, const CLI::Invocation& invocation, const DesktopChoice& choice);

}  // namespace zerlith::app
