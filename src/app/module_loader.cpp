#include "app/module_loader.hpp"

#include <dlfcn.h>

#include <algorithm>
#include <functional>

#include "app/module_build_id.hpp"
#include "base/file_io.hpp"
#include "base/trusted_file.hpp"

namespace zerlith::app {
namespace {

constexpr std::size_t kMaxModuleBytes = 256 * 1024 * 1024;

/// Why the module's file is not of this build, read before loading it: a module of another build
/// would bind to this executable's code at load time, and run its initializers doing so.
std::string otherBuild(const std::filesystem::path& path) {
    const auto bytes = readFile(path, kMaxModuleBytes);
    if (!bytes) return "cannot read " + path.string();
    const std::string_view content = *bytes;
    const std::string_view own = kModuleBuildIdMark;
    const std::string_view prefix = own.substr(0, own.find(':') + 1);
    const auto found = std::search(content.begin(), content.end(), std::boyer_moore_searcher(prefix.begin(), prefix.end()));
    if (found == content.end()) return path.string() + " is not a module of Zerlith's";
    // The mark ends where its string does.
    const auto rest = content.substr(static_cast<std::size_t>(found - content.begin()));
    if (rest.starts_with(own) && rest.size() > own.size() && rest[own.size()] == '\0') return {};
    return "restart Zerlith to use the new version";
}

}  // namespace

std::filesystem::path moduleBeside(std::string_view name) {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).parent_path() / name;
}

std::variant<void*, std::string> openModuleFunction(const std::filesystem::path& path, const char* function) {
    const auto trusted = trustedFile(path);
    if (const auto* refusal = std::get_if<std::string>(&trusted)) return *refusal;
    const auto& file = std::get<std::filesystem::path>(trusted);
    if (auto reason = otherBuild(file); !reason.empty()) return reason;
    void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    void* address = handle ? ::dlsym(handle, function) : nullptr;
    if (address != nullptr) return address;
    const char* reason = ::dlerror();
    return std::string(reason != nullptr ? reason : "no such function");
}

}  // namespace zerlith::app
