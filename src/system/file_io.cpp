#include "system/file_io.hpp"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace zerlith {
namespace {

constexpr std::string_view kUniqueSuffix = "XXXXXX";  // what mkstemp replaces

std::string temporaryPrefix(const std::filesystem::path& path) { return "." + path.filename().string() + "."; }

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

std::optional<std::string> readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return std::move(bytes).str();
}

bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes, mode_t mode) {
    if (!path.has_filename()) {
        errno = path.empty() ? ENOENT : EISDIR;  // what open() would say of such a path
        return false;
    }
    std::string temporary = (path.parent_path() / (temporaryPrefix(path) + std::string(kUniqueSuffix))).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return false;
    const bool written = ::fchmod(fd, mode) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (written && closed && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
    const int failure = errno;  // the caller's report names the failed step's cause, not unlink's
    ::unlink(temporary.c_str());
    errno = failure;
    return false;
}

void removeLeftoverTemporaries(const std::filesystem::path& path) {
    const std::string prefix = temporaryPrefix(path);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(path.parent_path(), error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == prefix.size() + kUniqueSuffix.size() && name.starts_with(prefix)) {
            std::filesystem::remove(entry.path(), error);
        }
    }
}

}  // namespace zerlith
