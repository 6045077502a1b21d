#include "system/preferences_file.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <ostream>
#include <utility>

#include "base/file_io.hpp"

namespace zerlith {
namespace fs = std::filesystem;
namespace {

/// "20261207T124500Z" for a broken file's new name.
std::string timeStamp(double seconds) {
    const auto time = static_cast<std::time_t>(seconds);
    std::tm parts{};
    gmtime_r(&time, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts);
    return text;
}

}  // namespace

PreferencesFile::PreferencesFile(fs::path path, platform::Clock& clock, std::ostream& warnings)
    : path_(std::move(path)), warnings_(warnings) {
    load(clock);
}

std::optional<fs::path> PreferencesFile::defaultLocation() {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome != nullptr && fs::path(configHome).is_absolute())
        return fs::path(configHome) / "Zerlith" / "preferences.json";
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') return std::nullopt;
    return fs::path(home) / ".config" / "Zerlith" / "preferences.json";
}

std::optional<nlohmann::json> PreferencesFile::value(std::string_view key) {
    const auto found = values_.find(key);
    if (found == values_.end()) return std::nullopt;
    return *found;
}

bool PreferencesFile::setValue(std::string_view key, nlohmann::json value) {
    if (path_.empty()) return false;  // a broken file that could not be moved aside stays as it is
    auto changed = values_;
    changed[std::string(key)] = std::move(value);
    std::error_code error;
    fs::create_directories(path_.parent_path(), error);
    fs::permissions(path_.parent_path(), fs::perms::owner_all, error);
    if (!writeFileAtomically(path_, changed.dump(2) + "\n", 0600)) {
        warnings_ << "zerlith: cannot write " << path_.string() << ": " << std::strerror(errno) << '\n';
        return false;
    }
    values_ = std::move(changed);
    return true;
}

void PreferencesFile::load(platform::Clock& clock) {
    const auto bytes = readFile(path_, kMaxBytes);
    if (!bytes) {
        if (errno == ENOENT || errno == ENOTDIR) return;  // none yet: every preference has its default
        // A FIFO, a device, a file of gigabytes or one that cannot be read: not what this program
        // wrote, and writing would replace it.
        moveAside(clock, errno == EFBIG    ? "larger than " + std::to_string(kMaxBytes / 1024) + " KiB"
                         : errno == EINVAL ? "not a regular file"
                                           : std::string("unreadable (") + std::strerror(errno) + ")");
        return;
    }
    auto parsed = nlohmann::json::parse(*bytes, nullptr, /*allow_exceptions=*/false);
    if (parsed.is_object()) {
        values_ = std::move(parsed);
        return;
    }
    moveAside(clock, parsed.is_discarded() ? "not valid JSON" : "not a JSON object");
}

void PreferencesFile::moveAside(platform::Clock& clock, const std::string& why) {
    // A name no earlier broken file has: two in the same second must not overwrite each other.
    const std::string stem = path_.string() + ".broken-" + timeStamp(clock.now());
    fs::path aside = stem;
    for (int copy = 2; fs::exists(fs::symlink_status(aside)); ++copy) aside = stem + "-" + std::to_string(copy);
    std::error_code error;
    fs::rename(path_, aside, error);
    if (error) {
        // Kept in place: writing over it would lose what the user may still want back.
        warnings_ << "zerlith: " << path_.string() << " is " << why << " and cannot be moved aside ("
                  << error.message() << "); using the defaults without saving\n";
        path_.clear();
        return;
    }
    warnings_ << "zerlith: " << path_.string() << " is " << why << "; moved it to " << aside.string()
              << " and using the defaults\n";
}

}  // namespace zerlith
