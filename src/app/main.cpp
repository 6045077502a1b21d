#include <iostream>
#include <string>
#include <vector>

#include "app/browser_modes.hpp"
#include "app/core_services.hpp"
#include "app/launcher.hpp"
#include "app/runtime.hpp"
#include "cli/command_line.hpp"

int main(int argc, char** argv) {
    using namespace zerlith;
    if (const auto status = app::runBrowserMode({argv + 1, argv + argc})) return *status;
    const auto invocation = CLI::parse({argv + 1, argv + argc});
    if (const auto status = CLI::answerWithoutDesktop(invocation)) return *status;
    const app::DesktopChoice choice{desktop::Session::fromEnvironment(), {}};
    if (invocation.mode == CLI::Mode::application) return app::launchApplication(argc, argv, invocation, choice);

    auto started = app::startRuntime(choice);
    if (auto* error = std::get_if<std::string>(&started)) {
        std::cerr << "zerlith: " << *error << '\n';
        return 2;
    }
    app::CoreServices services(std::get<app::Runtime>(std::move(started)));
    return CLI::run(invocation, services.cli());
}
