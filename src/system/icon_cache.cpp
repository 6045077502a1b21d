#include "system/icon_cache.hpp"

#include "desktop/windows.hpp"
#include "platform/platform.hpp"

namespace zerlith {
namespace {

/// Twice the 28-point row icon, for dense screens.
constexpr int kWindowIconPixels = 56;
/// Windows come and go for days; past this many remembered, the cache starts afresh.
constexpr std::size_t kMostWindowIcons = 512;

}  // namespace

std::optional<platform::Icon> IconCache::icon(std::string_view bundleID) {
    if (bundleID.empty()) return std::nullopt;
    std::string key(bundleID);
    if (auto cached = icons_.find(key); cached != icons_.end()) return cached->second;

    auto& workspace = platform::current().workspace();
    const auto path = workspace.applicationPath(bundleID);
    if (!path) return std::nullopt;
    auto icon = workspace.iconForFile(*path);
    if (icon) icons_.emplace(std::move(key), *icon);
    return icon;
}

const std::optional<platform::WindowIcon>& IconCache::windowIcon(std::uint32_t windowNumber) {
    if (const auto cached = windowIcons_.find(windowNumber); cached != windowIcons_.end()) return cached->second;
    if (windowIcons_.size() >= kMostWindowIcons) windowIcons_.clear();
    auto icon = platform::current().windows().icon(windowNumber, kWindowIconPixels);
    return windowIcons_.emplace(windowNumber, std::move(icon)).first->second;
}

}  // namespace zerlith
