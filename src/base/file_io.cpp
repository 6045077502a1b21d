#include "base/file_io.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace zerlith {
namespace {

/// Closes a descriptor when the scope ends, leaving errno as the scope's last step set it.
struct ClosedAtExit {
    int fd;
    ~ClosedAtExit() {
        const int reason = errno;
        ::close(fd);
        errno = reason;
    }
};

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

std::optional<std::string> readFile(const std::filesystem::path& path, std::size_t maxBytes) {
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    const ClosedAtExit closer{fd};
    struct stat status {};
    if (::fstat(fd, &status) != 0) return std::nullopt;
    if (!S_ISREG(status.st_mode)) {
        errno = EINVAL;
        return std::nullopt;
    }
    // The size says nothing of what is really stored: a sparse file of gigabytes takes no room.
    if (static_cast<std::uintmax_t>(status.st_size) > maxBytes) {
        errno = EFBIG;
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t filled = 0;
    // One byte beyond the size, to see a file that grew since fstat past the limit.
    for (;;) {
        if (filled == bytes.size()) bytes.resize(std::min(maxBytes + 1, std::max<std::size_t>(bytes.size() * 2, 4096)));
        const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
        if (filled > maxBytes) {
            errno = EFBIG;
            return std::nullopt;
        }
    }
    bytes.resize(filled);
    return bytes;
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
