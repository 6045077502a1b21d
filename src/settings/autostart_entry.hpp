#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "settings/login_item.hpp"

namespace zerlith {

/// Launch at login as a freedesktop autostart entry, "zerlith.desktop": the user's entry in
/// `$XDG_CONFIG_HOME/autostart/` wins over one of the same name in the system's folders
/// (`$XDG_CONFIG_DIRS`, each with "/autostart"). An entry starts the application unless it says
/// `Hidden=true` or `X-GNOME-Autostart-enabled=false`. Main thread.
class AutostartEntry final : public LoginItem {
public:
    /// `userFolder` is where the user's entry goes; `systemFolders` are read only; `executable` is
    /// the program the entry starts.
    AutostartEntry(std::filesystem::path userFolder, std::vector<std::filesystem::path> systemFolders,
                   std::filesystem::path executable);

    /// The folders of the environment (`XDG_CONFIG_HOME`, else ~/.config; `XDG_CONFIG_DIRS`, else
    /// /etc/xdg); none without a home folder.
    static std::optional<AutostartEntry> forUser(std::filesystem::path executable);

    static constexpr const char* kFileName = "zerlith.desktop";

    bool enabled() override;
    /// Enabling writes the user's entry with the executable; disabling removes it, or, when a
    /// system entry would still start the application, writes one that says `Hidden=true`.
    /// Refuses an executable whose path an entry cannot hold (see execArgument).
    bool setEnabled(bool enabled) override;
    std::string failure() const override { return failure_; }

    /// The user's entry.
    std::filesystem::path userEntry() const { return userFolder_ / kFileName; }

private:
    std::optional<std::filesystem::path> systemEntry() const;

    std::filesystem::path userFolder_;
    std::vector<std::filesystem::path> systemFolders_;
    std::filesystem::path executable_;
    std::string failure_;
};

/// Whether the desktop entry text starts its program: not `Hidden=true`, not
/// `X-GNOME-Autostart-enabled=false` (keys of the "[Desktop Entry]" group only).
bool autostartEntryEnabled(const std::string& text);

/// One argument of an `Exec` line, quoted when it must be, with the escapes the desktop entry
/// format asks for. None when the format cannot hold it: it is not valid UTF-8, or it has a
/// control character other than tab, line feed and carriage return (which are escaped).
std::optional<std::string> execArgument(const std::string& argument);

}  // namespace zerlith
