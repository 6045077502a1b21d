#include "system/runtime_folder.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace zerlith {

std::optional<std::string> runtimeFolder(std::string* error) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const bool haveRuntime = runtime != nullptr && runtime[0] == '/';
    // A session that names a runtime folder it has not made yet: make it as the session would.
    if (haveRuntime) ::mkdir(runtime, 0700);
    const char* temporary = std::getenv("TMPDIR");
    const std::string temporaryFolder = temporary != nullptr && temporary[0] == '/' ? temporary : "/tmp";
    const std::string folder = haveRuntime ? std::string(runtime) + "/zerlith"
                                           : temporaryFolder + "/zerlith-" + std::to_string(::getuid());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        *error = "cannot create " + folder;
        return std::nullopt;
    }
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::getuid()) {
        *error = folder + " is not a folder of this user's";
        return std::nullopt;
    }
    if ((status.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) {
        *error = "cannot make " + folder + " private";
        return std::nullopt;
    }
    return folder;
}

}  // namespace zerlith
