#pragma once

#include <string>
#include <variant>

namespace zerlith::app {

/// A function of one of the switcher's modules (zerlith-settings.so, zerlith-updates.so), which
/// stand beside the running executable; or why it cannot be had. The module stays open for the
/// life of the process, as Qt's plugins do. Main thread.
std::variant<void*, std::string> openModuleFunction(const std::string& module, const char* function);

}  // namespace zerlith::app
