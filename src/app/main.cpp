#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "app/runtime.hpp"
#include "cli/command_line.hpp"

int main(int argc, char** argv) {
    using namespace zerlith;
    auto started = app::startRuntime({std::getenv("ZERLITH_DESKTOP"), std::getenv("DISPLAY")});
    if (auto* error = std::get_if<std::string>(&started)) {
        std::cerr << "zerlith: " << *error << '\n';
        return 2;
    }
    platform::ScopedPlatform installed(*std::get<app::Runtime>(started).desktop);

    const int status = CLI::run(CLI::parse({argv + 1, argv + argc}));
    // The process-wide stores live until the process ends and may still hold background work
    // that reaches the desktop, so leave without tearing anything down.
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(status);
}
