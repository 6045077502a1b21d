#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/workspace.hpp"
#include "platform/workspace.hpp"

namespace zerlith {

/// Icons for the palette rows. Application icons are kept for the life of the cache, and only
/// those found: an identifier no installed application has is asked about again next time. The
/// icons windows carry themselves (for applications with none installed) are kept per window,
/// found or not, for a bounded number of windows. Main thread only; takes no lock.
class IconCache {
public:
    /// The icon of the application with this bundle identifier; none for an empty identifier or
    /// when no installed application has it.
    std::optional<platform::Icon> icon(std::string_view bundleID);

    /// The icon the window carries, near the palette's row icon size in pixels; none when it
    /// carries none.
    const std::optional<platform::WindowIcon>& windowIcon(std::uint32_t windowNumber);

private:
    std::unordered_map<std::string, platform::Icon> icons_;
    std::unordered_map<std::uint32_t, std::optional<platform::WindowIcon>> windowIcons_;
};

}  // namespace zerlith
