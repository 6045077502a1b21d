#include "support/child_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace zerlith::testing {
namespace {

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, Options options) {
    int in[2] = {-1, -1}, out[2] = {-1, -1}, report[2] = {-1, -1};
    if ((options.pipeStdin && ::pipe2(in, O_CLOEXEC) != 0) || (options.pipeStdout && ::pipe2(out, O_CLOEXEC) != 0) ||
        (options.reportFd && ::pipe2(report, O_CLOEXEC) != 0)) {
        throw std::runtime_error("cannot create pipes for " + argv.at(0));
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (options.pipeStdin) posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    if (options.pipeStdout) posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    if (options.reportFd) posix_spawn_file_actions_adddup2(&actions, report[1], *options.reportFd);
    if (options.quiet) {
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        if (!options.pipeStdout) posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    std::vector<char*> arguments;
    for (const std::string& argument : argv) arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    int failed = posix_spawnp(&pid_, arguments[0], &actions, nullptr, arguments.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    closeFd(in[0]);
    closeFd(out[1]);
    closeFd(report[1]);
    stdin_ = in[1];
    stdout_ = out[0];
    report_ = report[0];
    if (failed != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " + argv.at(0));
    }
}

ChildProcess::~ChildProcess() {
    stop();
    closeFd(stdin_);
    closeFd(stdout_);
    closeFd(report_);
}

std::optional<std::string> ChildProcess::readLine(double seconds, bool fromReport) {
    int fd = fromReport ? report_ : stdout_;
    std::string& buffered = buffered_[fromReport ? 1 : 0];
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        if (auto end = buffered.find('\n'); end != std::string::npos) {
            std::string line = buffered.substr(0, end);
            buffered.erase(0, end + 1);
            return line;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (fd < 0 || left.count() <= 0) return std::nullopt;
        pollfd readable{fd, POLLIN, 0};
        if (::poll(&readable, 1, static_cast<int>(left.count())) <= 0) continue;
        char chunk[4096];
        ssize_t count = ::read(fd, chunk, sizeof chunk);
        if (count <= 0) return std::nullopt;
        buffered.append(chunk, static_cast<std::size_t>(count));
    }
}

void ChildProcess::writeLine(const std::string& line) {
    std::string text = line + "\n";
    if (stdin_ >= 0 && ::write(stdin_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        throw std::runtime_error("the child's input is closed");
    }
}

void ChildProcess::closeStdin() { closeFd(stdin_); }

void ChildProcess::signal(int number) {
    if (pid_ > 0 && !ended_) ::kill(pid_, number);
}

std::optional<int> ChildProcess::wait(double seconds) {
    if (pid_ <= 0 || ended_) return 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            ended_ = true;
            return status;
        }
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));  // polling a child's exit
    }
}

ChildProcess::Run ChildProcess::runToEnd(const std::vector<std::string>& argv, double lineSeconds,
                                         double exitSeconds) {
    ChildProcess child(argv, Options{.pipeStdout = true, .quiet = true, .reportFd = std::nullopt});
    Run run;
    while (auto line = child.readLine(lineSeconds)) run.output += *line + "\n";
    run.status = child.wait(exitSeconds);
    return run;
}

void ChildProcess::stop() {
    if (pid_ <= 0 || ended_) return;
    closeFd(stdin_);
    ::kill(pid_, SIGCONT);  // a stopped child cannot act on SIGTERM
    ::kill(pid_, SIGTERM);
    if (!wait(1.0)) {
        ::kill(pid_, SIGKILL);
        wait(5.0);
    }
}

}  // namespace zerlith::testing
