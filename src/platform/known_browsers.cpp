#include "platform/known_browsers.hpp"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace zerlith::platform {
namespace {

namespace fs = std::filesystem;

bool isExecutableFile(const fs::path& file) {
    std::error_code error;
    return fs::is_regular_file(file, error) && ::access(file.c_str(), X_OK) == 0;
}

}  // namespace

const KnownBrowser* knownBrowserNamed(std::string_view name) {
    for (const auto& browser : kKnownBrowsers) {
        const auto folder = browser.vendorFolder;
        if (!folder.empty() && name.starts_with(folder) && !name.ends_with('/')) return &browser;
    }
    if (const auto slash = name.rfind('/'); slash != std::string_view::npos) name.remove_prefix(slash + 1);
    if (name.empty()) return nullptr;
    for (const auto& browser : kKnownBrowsers) {
        if (std::find(browser.executables.begin(), browser.executables.end(), name) != browser.executables.end())
            return &browser;
    }
    return nullptr;
}

std::vector<const KnownBrowser*> installedBrowsers(std::string_view path) {
    std::vector<const KnownBrowser*> installed;
    for (const auto& browser : kKnownBrowsers) {
        std::string_view folders = path;
        bool found = false;
        while (!found && !folders.empty()) {
            const auto end = folders.find(':');
            const auto folder = folders.substr(0, end);
            folders.remove_prefix(end == std::string_view::npos ? folders.size() : end + 1);
            if (folder.empty()) continue;  // the current folder: never where a browser is looked for
            for (const auto executable : browser.executables) {
                if (!executable.empty() && isExecutableFile(fs::path(folder) / executable)) found = true;
            }
        }
        if (found) installed.push_back(&browser);
    }
    return installed;
}

const KnownBrowser* knownBrowserOfProcess(Pid pid) {
    const auto folder = fs::path("/proc") / std::to_string(pid);
    std::error_code error;
    if (const auto executable = fs::read_symlink(folder / "exe", error); !error) {
        if (const auto* browser = knownBrowserNamed(executable.string())) return browser;
    }
    std::string command;
    std::getline(std::ifstream(folder / "comm"), command);
    return knownBrowserNamed(command);
}

}  // namespace zerlith::platform
