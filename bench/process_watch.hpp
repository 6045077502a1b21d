#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace zerlith::bench {

/// A child of this process running the program `name`, from /proc; none when there is none.
std::optional<pid_t> childNamed(const std::string& name);

/// Waits until none of `processes` used processor time over half a second (at most ten minutes);
/// a process that is gone or -1 counts as idle.
void waitUntilIdle(const std::vector<pid_t>& processes);

/// The resident memory (VmRSS) of a process in MiB; none when it is gone.
std::optional<double> residentMegabytes(pid_t process);

}  // namespace zerlith::bench
