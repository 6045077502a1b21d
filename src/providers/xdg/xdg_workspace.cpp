#include "providers/xdg/xdg_workspace.hpp"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <thread>

extern char** environ;

namespace zerlith::xdg {
namespace {

std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

platform::RunningApplication XdgWorkspace::describe(Pid pid, const WindowClass* windowClass, bool regular,
                                                    const std::optional<DesktopEntry>& entry) {
    platform::RunningApplication application;
    application.pid = pid;
    application.activationPolicy = regular ? platform::ActivationPolicy::regular : platform::ActivationPolicy::accessory;
    if (windowClass == nullptr) return application;
    if (entry) {
        application.localizedName = entry->name;
        application.bundleIdentifier = entry->id;
        return application;
    }
    const std::string& name = windowClass->className.empty() ? windowClass->instance : windowClass->className;
    application.localizedName = name;
    application.bundleIdentifier = lowercase(name);
    return application;
}

Pid XdgWorkspace::ownPid() { return static_cast<Pid>(::getpid()); }

bool XdgWorkspace::openURL(std::string_view url) {
    std::string argument(url);
    char program[] = "xdg-open";
    char* arguments[] = {program, argument.data(), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, program, nullptr, nullptr, arguments, environ) != 0) return false;
    // The opener may keep running as the opened application; reap it whenever it ends.
    std::thread([child] { ::waitpid(child, nullptr, 0); }).detach();
    return true;
}

std::optional<std::string> XdgWorkspace::applicationPath(std::string_view bundleID) {
    auto entry = entries_.withId(bundleID);
    if (!entry) return std::nullopt;
    return entry->path;
}

std::optional<platform::Icon> XdgWorkspace::iconForFile(std::string_view path) {
    auto entry = entries_.atPath(path);
    if (!entry) return std::nullopt;
    auto file = entries_.iconFile(*entry);
    if (!file) return std::nullopt;
    return platform::Icon{*file};
}

}  // namespace zerlith::xdg
