#include "app/module_loader.hpp"

#include <dlfcn.h>

#include <filesystem>

namespace zerlith::app {

std::variant<void*, std::string> openModuleFunction(const std::string& module, const char* function) {
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return error.message();
    const auto path = (executable.parent_path() / module).string();
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    void* address = handle ? ::dlsym(handle, function) : nullptr;
    if (address != nullptr) return address;
    const char* reason = ::dlerror();
    return std::string(reason != nullptr ? reason : "no such function");
}

}  // namespace zerlith::app
