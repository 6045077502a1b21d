#include "process_watch.hpp"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace zerlith::bench {
namespace {

/// The fields of /proc/PID/stat after the program's name (which may hold spaces), from the state on.
std::vector<std::string> statFields(pid_t process, std::string* name = nullptr) {
    std::ifstream file("/proc/" + std::to_string(process) + "/stat");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const auto open = text.find('('), close = text.rfind(')');
    if (open == std::string::npos || close == std::string::npos) return {};
    if (name) *name = text.substr(open + 1, close - open - 1);
    std::istringstream rest(text.substr(close + 1));
    std::vector<std::string> fields;
    for (std::string field; rest >> field;) fields.push_back(field);
    return fields;
}

/// User and system clock ticks the process used; none when it is gone.
std::optional<long long> processorTicks(pid_t process) {
    const auto fields = statFields(process);
    if (fields.size() < 13) return std::nullopt;
    return std::stoll(fields[11]) + std::stoll(fields[12]);  // utime and stime
}

}  // namespace

std::optional<pid_t> childNamed(const std::string& name) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string file = entry.path().filename();
        if (file.find_first_not_of("0123456789") != std::string::npos) continue;
        const auto process = static_cast<pid_t>(std::stol(file));
        std::string program;
        const auto fields = statFields(process, &program);
        if (fields.size() > 1 && program == name && std::stol(fields[1]) == ::getpid()) return process;
    }
    return std::nullopt;
}

void waitUntilIdle(const std::vector<pid_t>& processes) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(10);
    const auto total = [&] {
        long long ticks = 0;
        for (pid_t process : processes) ticks += process > 0 ? processorTicks(process).value_or(0) : 0;
        return ticks;
    };
    for (auto before = total(); std::chrono::steady_clock::now() < deadline;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const auto after = total();
        if (after == before) return;
        before = after;
    }
}

std::optional<double> residentMegabytes(pid_t process) {
    std::ifstream status("/proc/" + std::to_string(process) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:")) return std::stod(line.substr(6)) / 1024.0;  // in kB
    }
    return std::nullopt;
}

}  // namespace zerlith::bench
