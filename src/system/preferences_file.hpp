#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <string>

#include "platform/clock.hpp"
#include "platform/preferences.hpp"

namespace zerlith {

/// The preferences as one JSON object in a file of the user's, read once at construction and
/// written whole, atomically and owner-only, on every change. A file that is not a JSON object, not
/// a regular file, larger than `kMaxBytes` or unreadable is moved aside under a time-stamped name
/// with a one-line warning, never overwritten nor waited for. Main thread.
class PreferencesFile final : public platform::Preferences {
public:
    static constexpr std::size_t kMaxBytes = 1024 * 1024;

    /// `clock` gives a broken file's time stamp; warnings go to `warnings` (standard error).
    PreferencesFile(std::filesystem::path path, platform::Clock& clock, std::ostream& warnings);

    /// $XDG_CONFIG_HOME/Zerlith/preferences.json, else ~/.config/Zerlith/preferences.json; none
    /// without either.
    static std::optional<std::filesystem::path> defaultLocation();

    std::optional<nlohmann::json> value(std::string_view key) override;
    /// Writes the file; false (with a warning) when it cannot, and the value is not kept then.
    bool setValue(std::string_view key, nlohmann::json value) override;

private:
    void load(platform::Clock& clock);
    void moveAside(platform::Clock& clock, const std::string& why);

    std::filesystem::path path_;
    std::ostream& warnings_;
    nlohmann::json values_ = nlohmann::json::object();
};

}  // namespace zerlith
