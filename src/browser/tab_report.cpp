#include "browser/tab_report.hpp"

#include <limits>

namespace zerlith::browser {
namespace {

using nlohmann::json;

std::optional<std::int64_t> integerMember(const json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_number_integer()) return std::nullopt;
    return found->get<std::int64_t>();
}

std::string textMember(const json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

std::optional<platform::BrowserTab> parseTab(std::int64_t windowID, const json& tab) {
    if (!tab.is_object()) return std::nullopt;
    const auto index = integerMember(tab, "index");
    // Positions count from 1 outside the extension.
    if (!index || *index < 0 || *index == std::numeric_limits<std::int64_t>::max()) return std::nullopt;
    const auto active = tab.find("active");
    return platform::BrowserTab{windowID, *index + 1, active != tab.end() && active->is_boolean() && active->get<bool>(),
                                textMember(tab, "title"), textMember(tab, "url")};
}

}  // namespace

std::optional<std::vector<platform::BrowserTab>> parseTabReport(const json& windows) {
    if (!windows.is_array()) return std::nullopt;
    std::vector<platform::BrowserTab> tabs;
    for (const auto& window : windows) {
        if (!window.is_object()) continue;
        const auto windowID = integerMember(window, "id");
        const auto windowTabs = window.find("tabs");
        if (!windowID || windowTabs == window.end() || !windowTabs->is_array()) continue;
        for (const auto& tab : *windowTabs) {
            if (auto parsed = parseTab(*windowID, tab)) tabs.push_back(std::move(*parsed));
        }
    }
    return tabs;
}

json tabReport(const std::vector<platform::BrowserTab>& tabs) {
    auto windows = json::array();
    for (const auto& tab : tabs) {
        if (windows.empty() || windows.back()["id"] != tab.windowID)
            windows.push_back({{"id", tab.windowID}, {"tabs", json::array()}});
        windows.back()["tabs"].push_back(
            {{"index", tab.index - 1}, {"active", tab.active}, {"title", tab.title}, {"url", tab.url}});
    }
    return windows;
}

}  // namespace zerlith::browser
