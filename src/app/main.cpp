#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "app/platform_selection.hpp"
#include "cli/command_line.hpp"
#include "platform/thread_dispatch.hpp"

int main(int argc, char** argv) {
    using namespace zerlith;
    platform::SystemClock clock;
    platform::ThreadDispatch dispatch;
    auto selected = app::selectPlatform({std::getenv("ZERLITH_DESKTOP"), std::getenv("DISPLAY")}, clock, dispatch);
    if (auto* error = std::get_if<std::string>(&selected)) {
        std::cerr << "zerlith: " << *error << '\n';
        return 2;
    }
    auto& desktop = *std::get<std::unique_ptr<platform::Platform>>(selected);
    platform::ScopedPlatform installed(desktop);

    const int status = CLI::run(CLI::parse({argv + 1, argv + argc}));
    // The process-wide stores live until the process ends and may still hold background work
    // that reaches the platform, so leave without tearing anything down.
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(status);
}
