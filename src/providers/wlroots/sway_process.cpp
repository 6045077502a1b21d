#include "providers/wlroots/sway_process.hpp"

#include "base/file_io.hpp"

namespace zerlith::wlroots {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxProcFile = 1024 * 1024;

/// A /proc file of NUL-ended strings.
std::vector<std::string> strings(const fs::path& path) {
    std::vector<std::string> items;
    const auto text = readFile(path, kMaxProcFile);
    if (!text) return items;
    for (std::size_t at = 0; at < text->size();) {
        const std::size_t end = std::min(text->find('\0', at), text->size());
        items.emplace_back(text->substr(at, end - at));
        at = end + 1;
    }
    return items;
}

std::string valueOf(const std::map<std::string, std::string>& environment, const std::string& name) {
    const auto found = environment.find(name);
    return found != environment.end() ? found->second : std::string();
}

}  // namespace

fs::path swayConfigFile(const std::vector<std::string>& arguments, const fs::path& workingFolder,
                        const std::map<std::string, std::string>& environment) {
    std::string given;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if ((argument == "-c" || argument == "--config") && i + 1 < arguments.size()) given = arguments[++i];
        else if (argument.starts_with("--config=")) given = argument.substr(9);
        else if (argument.starts_with("-c") && argument.size() > 2 && !argument.starts_with("--")) given = argument.substr(2);
    }
    if (!given.empty()) return workingFolder.empty() && fs::path(given).is_relative() ? fs::path() : workingFolder / given;
    const std::string home = valueOf(environment, "HOME");
    std::string configHome = valueOf(environment, "XDG_CONFIG_HOME");
    if (configHome.empty() && !home.empty()) configHome = home + "/.config";
    std::vector<fs::path> places;
    if (!home.empty()) places.push_back(fs::path(home) / ".sway/config");
    if (!configHome.empty()) places.push_back(fs::path(configHome) / "sway/config");
    if (!home.empty()) places.push_back(fs::path(home) / ".i3/config");
    if (!configHome.empty()) places.push_back(fs::path(configHome) / "i3/config");
    places.insert(places.end(), {"/etc/sway/config", "/etc/i3/config"});
    for (const fs::path& place : places) {
        std::error_code error;
        if (place.is_absolute() && fs::exists(place, error)) return place;
    }
    return {};
}

SwayStart swayStart(pid_t pid) {
    const fs::path process = "/proc/" + std::to_string(pid);
    SwayStart start;
    for (const std::string& entry : strings(process / "environ")) {
        const auto equals = entry.find('=');
        if (equals != std::string::npos) start.environment.emplace(entry.substr(0, equals), entry.substr(equals + 1));
    }
    std::vector<std::string> arguments = strings(process / "cmdline");
    if (!arguments.empty()) arguments.erase(arguments.begin());
    std::error_code error;
    const fs::path workingFolder = fs::read_symlink(process / "cwd", error);
    start.configFile = swayConfigFile(arguments, error ? fs::path() : workingFolder, start.environment);
    return start;
}

}  // namespace zerlith::wlroots
