#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/workspace.hpp"

namespace zerlith {

/// Application icons for the palette rows, kept for the life of the cache. Only icons that were
/// found are kept: an identifier no installed application has is asked about again next time.
/// Main thread only; takes no lock.
class IconCache {
public:
    /// The icon of the application with this bundle identifier; none for an empty identifier or
    /// when no installed application has it.
    std::optional<platform::Icon> icon(std::string_view bundleID);

private:
    std::unordered_map<std::string, platform::Icon> icons_;
};

}  // namespace zerlith
