#pragma once

#include "app/runtime.hpp"

namespace zerlith::app {

/// The switcher that stays running (zerlith-app, which the launcher starts): becomes the instance
/// other invocations hand their requests to, on the desktop `choice` names, until a quit request
/// or signal; then flushes the usage history and exits 0. When another start has just become the
/// instance, asks it to reopen instead. Exit 2 when the display cannot be opened.
int runApplication(int argc, char** argv, DesktopChoice choice);

}  // namespace zerlith::app
