#pragma once

#include <optional>
#include <string>

namespace zerlith {

/// What decides which of several starts of the application runs: an exclusive `flock` on a file
/// in the private runtime folder, held for the life of this object, and given back by the kernel
/// however the process ends, so a crash leaves nothing to clean up. Any thread.
class InstanceLock {
public:
    enum class Outcome { taken, heldElsewhere, unavailable };

    /// Takes the lock at `path` without waiting. `outcome` says whether this process now holds it,
    /// another one does, or the file cannot be opened.
    static std::optional<InstanceLock> take(const std::string& path, Outcome* outcome);

    InstanceLock(InstanceLock&& other) noexcept;
    InstanceLock& operator=(InstanceLock&&) = delete;
    ~InstanceLock();

private:
    explicit InstanceLock(int fd) : fd_(fd) {}
    int fd_;
};

}  // namespace zerlith
