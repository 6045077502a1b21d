// The preferences file and the shortcuts stored in it: any file either loads, and every shortcut
// read from it survives a round trip and can be shown, or is moved aside byte for byte, never
// lost or overwritten.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "platform/clock.hpp"
#include "shell/shortcut_preferences.hpp"
#include "system/preferences_file.hpp"

namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

/// A folder of this process's, in memory where the system has one: files are written per input.
const fs::path& folder() {
    static const fs::path path = [] {
        const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        auto made = base / ("zerlith-preferences-fuzz-" + std::to_string(getpid()));
        fs::create_directories(made);
        return made;
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zerlith;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const fs::path path = folder() / "preferences.json";
    for (const auto& left : fs::directory_iterator(folder())) fs::remove(left.path());
    std::ofstream(path, std::ios::binary) << bytes;

    platform::ManualClock clock;
    std::ostringstream warnings;
    PreferencesFile preferences(path, clock, warnings);
    if (!fs::exists(path)) {
        // Moved aside: the only other file in the folder holds exactly what was there.
        const fs::directory_iterator aside(folder());
        if (aside == fs::directory_iterator() || contents(aside->path()) != bytes) std::abort();
        return 0;
    }
    if (contents(path) != bytes) std::abort();
    const auto layout = [](std::uint32_t code) { return std::optional(std::to_string(code)); };
    for (const auto key : {ShortcutPreferences::kPaletteKey, ShortcutPreferences::kInstantKey}) {
        const auto shortcut = ShortcutPreferences::load(preferences, key);
        if (!shortcut) continue;
        if (Shortcut::fromJson(shortcut->toJson()) != shortcut) std::abort();
        for (const auto notation : {platform::KeyNotation::glyphs, platform::KeyNotation::words})
            if (displayString(*shortcut, notation, layout).empty()) std::abort();
    }
    return 0;
}
