#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <variant>

namespace zerlith::app {

/// A module's file beside the running executable (zerlith-settings.so, zerlith-updates.so).
std::filesystem::path moduleBeside(std::string_view name);

/// A function of the module at `path`, or why it cannot be had: a file another user could have put
/// there (base/trusted_file.hpp) or a module of another build ("restart Zerlith to use the new
/// version", after an upgrade while this one runs) is never loaded. The module stays open for the
/// life of the process, as Qt's plugins do. Main thread.
std::variant<void*, std::string> openModuleFunction(const std::filesystem::path& path, const char* function);

}  // namespace zerlith::app
