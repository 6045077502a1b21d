#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace zerlith::testing {

/// A program the tests start (an X server, a window manager, a test tool). It inherits
/// the environment; its standard input and output are pipes when asked for. Ends it on destruction.
class ChildProcess {
public:
    struct Options {
        bool pipeStdin = false;
        bool pipeStdout = false;
        bool quiet = true;                   ///< standard error, and output unless piped, to /dev/null
        std::optional<int> reportFd;         ///< a pipe whose write end the child gets as this fd
    };

    /// Starts `argv[0]` from the PATH; throws std::runtime_error when it cannot be started.
    ChildProcess(const std::vector<std::string>& argv, Options options);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    /// A line of the child's standard output (or of the report pipe), without the newline; none
    /// at end of output or after `seconds`.
    std::optional<std::string> readLine(double seconds, bool fromReport = false);
    void writeLine(const std::string& line);
    void closeStdin();
    void signal(int number);
    /// Waits up to `seconds` for the child to end; its exit status, or none while it still runs.
    std::optional<int> wait(double seconds);
    /// Asks the child to end, then kills it when it does not within a second.
    void stop();

    /// What a program that runs to its end printed, and its exit status (none when it still ran
    /// after its output ended and then `exitSeconds` more).
    struct Run {
        std::string output;
        std::optional<int> status;
    };
    static Run runToEnd(const std::vector<std::string>& argv, double lineSeconds = 30.0, double exitSeconds = 5.0);

private:
    pid_t pid_ = -1;
    int stdin_ = -1;
    int stdout_ = -1;
    int report_ = -1;
    std::string buffered_[2];
    bool ended_ = false;
};

}  // namespace zerlith::testing
