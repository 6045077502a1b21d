#include "app/browser_modes.hpp"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "base/trusted_file.hpp"
#include "browser/browser_host.hpp"
#include "browser/host_manifests.hpp"
#include "platform/known_browsers.hpp"
#include "system/runtime_folder.hpp"

namespace zerlith::app {
namespace {

int installHosts() {
    // The browsers will run what the manifests name: never a file another user could replace.
    const auto trusted = trustedFile("/proc/self/exe");
    if (const auto* refusal = std::get_if<std::string>(&trusted)) {
        std::cerr << "zerlith: refusing to name this executable in the browsers' host manifests: " << *refusal << '\n';
        return 1;
    }
    const auto& executable = std::get<std::filesystem::path>(trusted);
    std::ostringstream report;
    const auto written = browser::installHostManifestsForUser(executable.string(), report);
    (written < 0 ? std::cerr << "zerlith: " : std::cout) << report.str();
    return written > 0 ? 0 : 1;
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
