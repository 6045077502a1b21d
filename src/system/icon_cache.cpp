#include "system/icon_cache.hpp"

#include "platform/platform.hpp"

namespace zerlith {

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

}  // namespace zerlith
