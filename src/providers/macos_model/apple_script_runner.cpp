#include "providers/macos_model/apple_script_runner.hpp"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "base/utf8.hpp"
#include "platform/platform.hpp"

extern char** environ;

namespace zerlith::AppleScriptRunner {
namespace {

/// How long a timed-out call still waits for the reader after asking the child to stop.
constexpr double kTerminationGrace = 0.5;
/// The longest single wait; keeps an enormous or infinite limit from overflowing the clock.
constexpr double kLongestWait = 365.0 * 24 * 3600;

std::chrono::nanoseconds waitDuration(double seconds) {
    if (!(seconds > 0)) return std::chrono::nanoseconds::zero();  // also NaN
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::duration<double>(std::min(seconds, kLongestWait)));
}

/// The reader's box: the bytes it drained and the signal that it reached end of file. Shared
/// with the reader thread, so a caller that gave up can return while the reader finishes.
class Drain {
public:
    void finish(std::string bytes) {
        {
            std::lock_guard lock(mutex_);
            bytes_ = std::move(bytes);
            finished_ = true;
        }
        changed_.notify_all();
    }

    /// True once the reader has finished, waiting at most `seconds` for it.
    bool waitFor(double seconds) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, waitDuration(seconds), [this] { return finished_; });
    }

    /// Only after waitFor() returned true.
    std::string takeBytes() {
        std::lock_guard lock(mutex_);
        return std::move(bytes_);
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool finished_ = false;
    std::string bytes_;
};

void readToEnd(int fd, const std::shared_ptr<Drain>& drain) {
    std::string bytes;
    char buffer[16384];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count > 0) {
            bytes.append(buffer, static_cast<std::size_t>(count));
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else {
            break;
        }
    }
    ::close(fd);
    drain->finish(std::move(bytes));
}

pid_t waitForExit(pid_t pid, int options, int* status) {
    pid_t result;
    do {
        result = ::waitpid(pid, status, options);
    } while (result < 0 && errno == EINTR);
    return result;
}

/// Reaps a child that was asked to stop; one that has not gone by now is killed first, so no
/// zombie and no stray process outlives the call.
void reapStopped(pid_t pid) {
    int status = 0;
    if (waitForExit(pid, WNOHANG, &status) != 0) return;
    ::kill(-pid, SIGKILL);
    waitForExit(pid, 0, &status);
}

struct Child {
    pid_t pid;
    int output;  ///< read end of the child's standard output
};

/// Starts the interpreter in a process group of its own (so a timeout stops its children too)
/// with an empty signal mask and default handling of the signals used to stop it.
std::optional<Child> spawn(const std::string& interpreterPath, std::string_view source) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) return std::nullopt;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);

    std::string program = interpreterPath;
    std::string flag = "-e";
    std::string script(source);
    char* arguments[] = {program.data(), flag.data(), script.data(), nullptr};
    pid_t pid = 0;
    const int error = ::posix_spawn(&pid, program.c_str(), &actions, &attributes, arguments, environ);

    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (error != 0) {
        ::close(pipeEnds[0]);
        return std::nullopt;
    }
    return Child{pid, pipeEnds[0]};
}

bool startReader(int fd, std::shared_ptr<Drain> drain) {
    try {
        std::thread([fd, drain = std::move(drain)] { readToEnd(fd, drain); }).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

}  // namespace

std::optional<std::string> run(std::string_view source, double timeout) {
    auto* macOS = platform::current().macOS();
    if (macOS == nullptr) return std::nullopt;  // no desktop but the macOS model runs scripts
    if (auto interpreter = macOS->scripting().interpreterPath()) return detail::runProcess(*interpreter, source, timeout);
    return macOS->scripting().runInProcess(source, timeout);
}

namespace detail {

std::optional<std::string> runProcess(const std::string& interpreterPath, std::string_view source,
                                      double timeout) {
    // An argument cannot carry a NUL byte; cutting the script there would run a different one.
    if (source.find('\0') != std::string_view::npos) return std::nullopt;
    const auto child = spawn(interpreterPath, source);
    if (!child) return std::nullopt;

    auto drain = std::make_shared<Drain>();
    if (!startReader(child->output, drain)) {
        ::close(child->output);
        ::kill(-child->pid, SIGTERM);
        reapStopped(child->pid);
        return std::nullopt;
    }
    if (!drain->waitFor(timeout)) {
        ::kill(-child->pid, SIGTERM);
        drain->waitFor(kTerminationGrace);
        reapStopped(child->pid);
        return std::nullopt;
    }

    int status = 0;
    if (waitForExit(child->pid, 0, &status) != child->pid) return std::nullopt;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    std::string output = drain->takeBytes();
    if (!isValidUtf8(output)) return std::nullopt;
    return output;
}

}  // namespace detail

}  // namespace zerlith::AppleScriptRunner
