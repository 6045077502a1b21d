#pragma once

#include <cstdlib>
#include <filesystem>

#include "support/temp_folder.hpp"

namespace zerlith::testing {

/// Zerlith's preferences file under the test's private $XDG_CONFIG_HOME.
inline std::filesystem::path preferencesFile() {
    return std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "Zerlith" / "preferences.json";
}

/// Makes the next Zerlith start past its first launch, whose setup window would take the keyboard
/// whenever the window manager gets to it, also from a palette opened meanwhile.
inline void skipFirstLaunch() { writeText(preferencesFile(), R"({"setup.shown": true})"); }

}  // namespace zerlith::testing
