#include "system/runtime_folder.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace zerlith {
namespace {

bool absolute(const char* path) { return path != nullptr && path[0] == '/'; }

/// Makes `path` and the folders above it that are missing, each owner-only.
void makeFolders(const std::string& path) {
    for (auto slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0700);
    ::mkdir(path.c_str(), 0700);
}

/// Why `path` may not hold this user's sockets; empty when it may. `followLink`: the user's own
/// base folders may be links (a cache on another disk); the folder Zerlith makes may not.
std::string unsafe(const std::string& path, bool followLink, struct stat& status) {
    const int result = followLink ? ::stat(path.c_str(), &status) : ::lstat(path.c_str(), &status);
    if (result != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::getuid())
        return path + " is not a folder of this user's";
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0) return path + " is writable by other users";
    return {};
}

/// The folder the runtime folder goes in and the runtime folder; none without a place for it.
std::optional<std::pair<std::string, std::string>> place(std::string* error) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (absolute(runtime)) return std::pair{std::string(runtime), std::string(runtime) + "/zerlith"};
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    if (!absolute(cache) && !absolute(home)) {
        *error = "neither XDG_RUNTIME_DIR nor HOME is set";
        return std::nullopt;
    }
    const std::string base = (absolute(cache) ? std::string(cache) : std::string(home) + "/.cache") + "/zerlith";
    char host[HOST_NAME_MAX + 1] = {};
    ::gethostname(host, sizeof host - 1);
    return std::pair{base, base + "/runtime-" + host};
}

}  // namespace

std::optional<std::string> runtimeFolder(std::string* error) {
    const auto where = place(error);
    if (!where) return std::nullopt;
    const auto& [base, folder] = *where;
    makeFolders(folder);
    struct stat status {};
    auto problem = unsafe(base, true, status);
    if (problem.empty()) problem = unsafe(folder, false, status);
    if (!problem.empty()) {
        *error = problem;
        return std::nullopt;
    }
    if ((status.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) {
        *error = "cannot make " + folder + " private";
        return std::nullopt;
    }
    return folder;
}

}  // namespace zerlith
