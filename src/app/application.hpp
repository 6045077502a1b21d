#pragma once

#include "app/runtime.hpp"
#include "cli/command_line.hpp"

namespace zerlith::app {

/// Application mode: the switcher that stays running. Hands the request to an instance that
/// already runs ("--palette" toggles its palette; otherwise it is reopened) or becomes that
/// instance, on the desktop `choice` names, until a quit request or signal; then flushes the usage
/// history and exits 0. Exit 2 without any display, 1 for "--palette" with no instance running.
int runApplication(int argc, char** argv, const CLI::Invocation& invocation, DesktopChoice choice);

}  // namespace zerlith::app
