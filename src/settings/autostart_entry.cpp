#include "settings/autostart_entry.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string_view>

#include "base/file_io.hpp"
#include "base/utf8.hpp"

namespace zerlith {
namespace fs = std::filesystem;
namespace {

/// Far more than any autostart entry holds.
constexpr std::size_t kMaxEntryBytes = 64 * 1024;

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

/// The entry that starts `exec`, or the one that keeps the system's entry from doing so.
std::string entryText(const std::string& exec, bool hidden) {
    std::string text = "[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=Zerlith\n"
                       "Comment=Keyboard-driven window and tab switcher\n"
                       "Exec=" + exec + "\n"
                       "Terminal=false\n";
    text += hidden ? "Hidden=true\n" : "X-GNOME-Autostart-enabled=true\n";
    return text;
}

}  // namespace

AutostartEntry::AutostartEntry(fs::path userFolder, std::vector<fs::path> systemFolders, fs::path executable)
    : userFolder_(std::move(userFolder)), systemFolders_(std::move(systemFolders)), executable_(std::move(executable)) {}

std::optional<AutostartEntry> AutostartEntry::forUser(fs::path executable) {
    fs::path configHome;
    const char* xdgConfig = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (xdgConfig != nullptr && fs::path(xdgConfig).is_absolute()) {
        configHome = xdgConfig;
    } else if (home != nullptr && *home != '\0') {
        configHome = fs::path(home) / ".config";
    } else {
        return std::nullopt;
    }
    std::vector<fs::path> systemFolders;
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    std::string_view list = dirs != nullptr && *dirs != '\0' ? dirs : "/etc/xdg";
    while (!list.empty()) {
        const auto colon = list.find(':');
        const fs::path folder(std::string(list.substr(0, colon)));
        if (folder.is_absolute()) systemFolders.push_back(folder / "autostart");
        if (colon == std::string_view::npos) break;
        list.remove_prefix(colon + 1);
    }
    return AutostartEntry(configHome / "autostart", std::move(systemFolders), std::move(executable));
}

std::optional<fs::path> AutostartEntry::systemEntry() const {
    for (const auto& folder : systemFolders_) {
        std::error_code error;
        if (fs::is_regular_file(folder / kFileName, error)) return folder / kFileName;
    }
    return std::nullopt;
}

bool AutostartEntry::enabled() {
    // The user's entry, when there is one, decides alone: that is how it hides the system's.
    if (const auto text = readFile(userEntry(), kMaxEntryBytes)) return autostartEntryEnabled(*text);
    if (const auto system = systemEntry()) {
        if (const auto text = readFile(*system, kMaxEntryBytes)) return autostartEntryEnabled(*text);
    }
    return false;
}

bool AutostartEntry::setEnabled(bool enable) {
    failure_.clear();
    if (enable && enabled()) return true;
    std::error_code error;
    if (!enable && !systemEntry()) {
        fs::remove(userEntry(), error);
        if (error) failure_ = "Zerlith could not remove " + userEntry().string() + ": " + error.message() + ".";
        return !error;
    }
    const auto exec = execArgument(executable_.string());
    if (enable && !exec) {
        failure_ = "Zerlith cannot start at login from where it is installed: the path of its program has a "
                   "control character or is not valid UTF-8. Move it to another folder.";
        return false;
    }
    // A hidden entry is never run: its command only has to be well formed.
    fs::create_directories(userFolder_, error);
    if (writeFileAtomically(userEntry(), entryText(exec.value_or("zerlith"), !enable), 0644)) return true;
    failure_ = "Zerlith could not write " + userEntry().string() + ": " + std::strerror(errno) + ".";
    return false;
}

bool autostartEntryEnabled(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    bool inMainGroup = false;
    while (std::getline(lines, line)) {
        const auto content = trimmed(line);
        if (content.empty() || content.front() == '#') continue;
        if (content.front() == '[') {
            inMainGroup = content == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup) continue;
        const auto equals = content.find('=');
        if (equals == std::string_view::npos) continue;
        const auto key = trimmed(content.substr(0, equals));
        const auto value = trimmed(content.substr(equals + 1));
        if (key == "Hidden" && value == "true") return false;
        if (key == "X-GNOME-Autostart-enabled" && value == "false") return false;
    }
    return true;
}

std::optional<std::string> execArgument(const std::string& argument) {
    // The reserved characters, and a carriage return, which some readers take for a separator.
    constexpr std::string_view quoted = " \t\n\r\"'\\><~|&;$*?#()`";
    if (!isValidUtf8(argument)) return std::nullopt;
    std::string escaped;
    for (const char c : argument) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t' && c != '\n' && c != '\r') || byte == 0x7F) return std::nullopt;
        if (c == '%') {
            escaped += "%%";  // a field code otherwise
        } else if (c == '"' || c == '`' || c == '$' || c == '\\') {
            // Escaped once for the quoted argument, and its backslash once more for the string value.
            escaped += "\\\\";
            escaped += c == '\\' ? "\\\\" : std::string(1, c);
        } else if (c == '\n') {
            escaped += "\\n";
        } else if (c == '\t') {
            escaped += "\\t";
        } else if (c == '\r') {
            escaped += "\\r";
        } else {
            escaped += c;
        }
    }
    if (argument.find_first_of(quoted) == std::string::npos) return escaped;
    return '"' + escaped + '"';
}

}  // namespace zerlith
