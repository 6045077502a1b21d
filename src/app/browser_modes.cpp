#include "app/browser_modes.hpp"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "browser/browser_host.hpp"
#include "browser/host_manifests.hpp"
#include "platform/known_browsers.hpp"
#include "system/runtime_folder.hpp"

namespace zerlith::app {
namespace {

int installHosts() {
    const char* home = std::getenv("HOME");
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (home == nullptr || home[0] != '/') {
        std::cerr << "zerlith: HOME is not set\n";
        return 1;
    }
    const std::string configHome = config != nullptr && config[0] == '/' ? config : std::string(home) + "/.config";
    std::error_code error;
    const auto executable = std::filesystem::canonical("/proc/self/exe", error);
    if (error) {
        std::cerr << "zerlith: cannot tell where this executable is\n";
        return 1;
    }
    return browser::installHostManifests(home, configHome, executable.string(), std::cout) > 0 ? 0 : 1;
}

}  // namespace

std::optional<int> runBrowserMode(const std::vector<std::string>& arguments) {
    if (std::find(arguments.begin(), arguments.end(), "--install-browser-hosts") != arguments.end()) return installHosts();
    const auto kind = browser::hostKind(arguments);
    if (!kind) return std::nullopt;
    std::string error;
    const auto folder = runtimeFolder(&error);
    if (!folder) {
        std::cerr << "zerlith: " << error << '\n';
        return 1;
    }
    // The browser starts its host itself, so the browser is the host's parent: its executable
    // tells Brave from Chromium, which the arguments do not.
    const auto browserPid = static_cast<Pid>(::getppid());
    const auto* known = platform::knownBrowserOfProcess(browserPid);
    const auto name = known != nullptr && known->kind == *kind ? known->name : std::string_view();
    return browser::runHost(*kind, name, browserPid, ::getpid(), *folder, STDIN_FILENO, STDOUT_FILENO, std::cerr);
}

}  // namespace zerlith::app
