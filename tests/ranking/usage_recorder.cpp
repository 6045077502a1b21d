// usage-recorder HISTORY: records uses the way the application does (record, then flush) until it
// is killed, and prints "flushed ID" once each use is on disk. The kill-loop test drives it.

#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <string>

#include "platform/clock.hpp"
#include "platform/thread_dispatch.hpp"
#include "ranking/usage_store.hpp"

int main(int argc, char** argv) {
    using namespace zerlith;
    if (argc != 2) {
        std::cerr << "usage: usage-recorder HISTORY\n";
        return 2;
    }
    platform::SystemClock clock;
    platform::ThreadDispatch dispatch;
    UsageStore store{std::filesystem::path(argv[1]), clock, dispatch, {}};
    for (unsigned use = 0;; ++use) {
        const std::string id = "target-" + std::to_string(use % 8);
        store.record(id, "context-" + std::to_string(use % 3));
        if (!store.flush(5.0)) return 1;
        // One write of less than PIPE_BUF bytes: a kill never leaves half a line.
        const std::string line = "flushed " + id + "\n";
        if (::write(STDOUT_FILENO, line.data(), line.size()) != static_cast<ssize_t>(line.size())) return 1;
    }
}
