#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace zerlith::wlroots {

/// What a sway process was started with, as /proc shows it: for reading the files its
/// configuration includes as it reads them.
struct SwayStart {
    std::map<std::string, std::string> environment;
    std::filesystem::path configFile;  ///< absolute; empty when unknown
};

/// The sway process `pid`'s start; empty members where /proc does not tell.
SwayStart swayStart(pid_t pid);

/// The main configuration sway reads, given its arguments (after the program's name), its
/// working folder and its environment: `-c`/`--config`, else the first of its default places that
/// exists (~/.sway/config, $XDG_CONFIG_HOME/sway/config, ~/.i3/config, $XDG_CONFIG_HOME/i3/config,
/// /etc/sway/config, /etc/i3/config). Empty when there is none.
std::filesystem::path swayConfigFile(const std::vector<std::string>& arguments, const std::filesystem::path& workingFolder,
                                     const std::map<std::string, std::string>& environment);

}  // namespace zerlith::wlroots
