#include "settings/tab_browsers.hpp"

#include <algorithm>
#include <filesystem>

namespace zerlith {

std::vector<TabBrowser> tabBrowsers(const std::vector<const platform::KnownBrowser*>& installed,
                                    const std::vector<platform::ConnectedBrowser>& connected) {
    std::vector<TabBrowser> rows;
    for (const auto& known : platform::kKnownBrowsers) {
        const bool isInstalled = std::find(installed.begin(), installed.end(), &known) != installed.end();
        const bool named = std::any_of(connected.begin(), connected.end(),
                                       [&](const auto& each) { return each.name == known.name; });
        const bool unnamed = std::any_of(connected.begin(), connected.end(), [&](const auto& each) {
            return each.name.empty() && each.kind == known.kind;
        });
        if (!isInstalled && !named) continue;
        rows.push_back({std::string(known.executables[0]), std::string(known.name), std::string(known.kind),
                        named || unnamed});
    }
    return rows;
}

std::string extensionFolder(std::string_view kind) {
    const std::string family = kind == "firefox" ? "firefox" : "chromium";
    for (const std::filesystem::path root : {ZERLITH_INSTALLED_EXTENSION_DIR, ZERLITH_BUILT_EXTENSION_DIR}) {
        std::error_code error;
        if (std::filesystem::is_directory(root / family, error)) return (root / family).string();
    }
    return {};
}

}  // namespace zerlith
