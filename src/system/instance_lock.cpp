#include "system/instance_lock.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace zerlith {

std::optional<InstanceLock> InstanceLock::take(const std::string& path, Outcome* outcome) {
    // Never through a link planted in the folder.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0) {
        *outcome = Outcome::unavailable;
        return std::nullopt;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        *outcome = errno == EWOULDBLOCK ? Outcome::heldElsewhere : Outcome::unavailable;
        ::close(fd);
        return std::nullopt;
    }
    *outcome = Outcome::taken;
    return InstanceLock(fd);
}

InstanceLock::InstanceLock(InstanceLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace zerlith
