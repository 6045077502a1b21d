#include "model/target.hpp"

namespace zerlith {

std::string_view rawValue(TargetKind kind) { return kind == TargetKind::window ? "window" : "tab"; }

std::optional<TargetKind> targetKindFromRaw(std::string_view raw) {
    if (raw == "window") return TargetKind::window;
    if (raw == "tab") return TargetKind::tab;
    return std::nullopt;
}

namespace {

struct BrowserNames {
    std::string_view raw;
    std::string_view bundleID;
    std::string_view application;
};

constexpr BrowserNames kBrowserNames[] = {
    {"chrome", "com.google.Chrome", "Google Chrome"},
    {"safari", "com.apple.Safari", "Safari"},
    {"firefox", "org.mozilla.firefox", "Firefox"},
};

const BrowserNames& names(BrowserKind browser) { return kBrowserNames[static_cast<std::size_t>(browser)]; }

}  // namespace

std::string_view rawValue(BrowserKind browser) { return names(browser).raw; }

std::string_view bundleIdentifier(BrowserKind browser) { return names(browser).bundleID; }

std::string_view applicationName(BrowserKind browser) { return names(browser).application; }

std::optional<BrowserKind> browserKindFromRaw(std::string_view raw) {
    for (const BrowserKind browser : kAllBrowsers) {
        if (rawValue(browser) == raw) return browser;
    }
    return std::nullopt;
}

// Member by member: a braced list builds a temporary array per member and copies it, which cost
// as much as all the rest of a dump of thousands of targets.
nlohmann::json toJson(const Target& target) {
    nlohmann::json json(nlohmann::json::value_t::object);
    json["id"] = target.id;
    json["kind"] = rawValue(target.kind);
    json["title"] = target.title;
    json["subtitle"] = target.subtitle;
    json["app"] = target.appName;
    json["bundleID"] = target.bundleID;
    json["score"] = target.score;
    if (target.screenName) json["screen"] = *target.screenName;
    if (target.tab) json["url"] = target.tab->url;
    if (target.window) {
        const WindowRef& window = *target.window;
        json["onCurrentSpace"] = window.isOnCurrentSpace;
        json["raiseMode"] = window.raisesDirectly ? "ax-direct" : "activate+match";
        json["frame"] = toJson(window.frame);
    }
    return json;
}

nlohmann::json toJson(const Rect& rect) {
    nlohmann::json json(nlohmann::json::value_t::object);
    json["x"] = rect.x;
    json["y"] = rect.y;
    json["w"] = rect.absWidth();
    json["h"] = rect.absHeight();
    return json;
}

IdNumbering::Numbered IdNumbering::take(const std::string& base) {
    const std::int64_t repeat = seen_[base]++;
    return {repeat == 0 ? base : base + "#" + std::to_string(repeat), repeat};
}

}  // namespace zerlith
