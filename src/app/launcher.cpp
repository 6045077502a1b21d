#include "app/launcher.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <variant>
#include <vector>

#include "app/instance_client.hpp"
#include "base/trusted_file.hpp"

namespace zerlith::app {
namespace {

namespace fs = std::filesystem;

bool isSet(const char* value) { return value != nullptr && *value != '\0'; }

/// Where the windows go: an X11 display, or a Wayland compositor (the application tells whether
/// its windows can be shown there); for a simulated desktop, whatever display Qt is given
/// (offscreen included).
bool displayAvailable(const DesktopChoice& choice) {
    return isSet(std::getenv("QT_QPA_PLATFORM")) || choice.session.x11() || choice.session.wayland();
}

std::string_view requestOf(const CLI::Invocation& invocation) {
    if (invocation.arguments.contains("--palette")) return instance_request::palette;
    if (invocation.arguments.contains("--instant")) return instance_request::instant;
    if (invocation.arguments.contains("--settings")) return instance_request::settings;
    return instance_request::reopen;
}

/// Where the application may be: at its installed path when this is the installed command; else
/// under the libexec folder beside this executable (a staged or relocated install), or in the same
/// folder (a build tree).
std::vector<fs::path> applicationCandidates(const fs::path& self) {
    if (self == ZERLITH_INSTALLED_COMMAND) return {ZERLITH_INSTALLED_APPLICATION};
    const auto folder = self.parent_path();
    return {(folder / ZERLITH_APPLICATION_FROM_BINDIR / "zerlith-app").lexically_normal(), folder / "zerlith-app"};
}

/// The first candidate that exists and that no other user could have put there; or why none may
/// run. An untrusted one is passed over: another user may plant files next to a shared folder.
std::variant<fs::path, std::string> applicationFor(const fs::path& self) {
    if (const auto trustedSelf = trustedFile(self); const auto* refusal = std::get_if<std::string>(&trustedSelf))
        return "refusing to start from here: " + *refusal;
    std::string firstRefusal;
    for (const auto& candidate : applicationCandidates(self)) {
        std::error_code error;
        if (!fs::exists(candidate, error)) continue;
        auto trusted = trustedFile(candidate);
        if (std::holds_alternative<fs::path>(trusted)) return trusted;
        if (firstRefusal.empty()) firstRefusal = "refusing to start " + candidate.string() + ": " + std::get<std::string>(trusted);
    }
    return firstRefusal.empty() ? "cannot find zerlith-app beside " + self.string() : firstRefusal;
}

}  // namespace

int launchApplication(int argc, char** argv, const CLI::Invocation& invocation, const DesktopChoice& choice) {
    if (!displayAvailable(choice)) {
        std::cerr << "zerlith: no display to show the switcher on: set DISPLAY or WAYLAND_DISPLAY\n";
        return 2;
    }
    const auto request = requestOf(invocation);
    std::string channelError;
    const auto socket = instanceSocketPath(&channelError);
    if (socket && sendToInstance(*socket, request)) return 0;
    if (request != instance_request::reopen) {
        if (!socket) std::cerr << "zerlith: " << channelError << '\n';
        std::cerr << "zerlith: Zerlith is not running\n";
        return 1;
    }
    std::error_code error;
    const auto self = fs::canonical("/proc/self/exe", error);
    if (error) {
        std::cerr << "zerlith: cannot tell where this executable is\n";
        return 1;
    }
    const auto found = applicationFor(self);
    if (const auto* refusal = std::get_if<std::string>(&found)) {
        std::cerr << "zerlith: " << *refusal << '\n';
        return 1;
    }
    const auto& application = std::get<fs::path>(found);
    // The application goes by the command's name: in the launch-at-login entry it writes, and in
    // the class of its windows.
    std::vector<char*> arguments(argv, argv + argc);
    std::string command = self.string();
    arguments[0] = command.data();
    arguments.push_back(nullptr);
    ::execv(application.c_str(), arguments.data());
    std::cerr << "zerlith: cannot start " << application.string() << ": " << std::strerror(errno) << '\n';
    return 1;
}

}  // namespace zerlith::app
