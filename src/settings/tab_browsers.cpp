#include "settings/tab_browsers.hpp"

#include <algorithm>
#include <filesystem>

namespace zerlith {

namespace {

bool holdsExtension(const std::filesystem::path& folder) {
    std::error_code error;
    return std::filesystem::is_regular_file(folder / "manifest.json", error);
}

/// Whether the browser known as `name` loads the extension from `system` at start.
bool loadsSystemExtension(std::string_view name, const SystemExtensions& system) {
    std::error_code error;
    if (name == "Chromium") return holdsExtension(system.chromium) && std::filesystem::exists(system.chromiumLoader, error);
    return name == "Firefox" && holdsExtension(system.firefox);
}

}  // namespace

SystemExtensions debianSystemExtensions() {
    return {ZERLITH_SYSTEM_CHROMIUM_EXTENSION, "/etc/chromium.d/extensions", ZERLITH_SYSTEM_FIREFOX_EXTENSION};
}

std::vector<TabBrowser> tabBrowsers(const std::vector<const platform::KnownBrowser*>& installed,
                                    const std::vector<platform::ConnectedBrowser>& connected,
                                    const SystemExtensions& system) {
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
                        named || unnamed, loadsSystemExtension(known.name, system)});
    }
    return rows;
}

std::string extensionFolder(std::string_view kind) {
    const bool firefox = kind == "firefox";
    const std::filesystem::path installed = firefox ? ZERLITH_INSTALLED_FIREFOX_EXTENSION : ZERLITH_INSTALLED_CHROMIUM_EXTENSION;
    const auto built = std::filesystem::path(ZERLITH_BUILT_EXTENSION_DIR) / (firefox ? "firefox" : "chromium");
    for (const auto& folder : {installed, built}) {
        std::error_code error;
        if (std::filesystem::is_directory(folder, error)) return folder.string();
    }
    return {};
}

}  // namespace zerlith
