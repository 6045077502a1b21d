#include "model/target.hpp"

namespace zerlith {

std::string_view rawValue(TargetKind kind) { return kind == TargetKind::window ? "window" : "tab"; }

std::optional<TargetKind> targetKindFromRaw(std::string_view raw) {
    if (raw == "window") return TargetKind::window;
    if (raw == "tab") return TargetKind::tab;
    return std::nullopt;
}

std::string_view rawValue(BrowserKind browser) { return browser == BrowserKind::chrome ? "chrome" : "safari"; }

std::string_view bundleIdentifier(BrowserKind browser) {
    return browser == BrowserKind::chrome ? "com.google.Chrome" : "com.apple.Safari";
}

std::string_view applicationName(BrowserKind browser) {
    return browser == BrowserKind::chrome ? "Google Chrome" : "Safari";
}

std::optional<BrowserKind> browserKindFromRaw(std::string_view raw) {
    if (raw == "chrome") return BrowserKind::chrome;
    if (raw == "safari") return BrowserKind::safari;
    return std::nullopt;
}

nlohmann::json toJson(const Target& target) {
    nlohmann::json json = {
        {"id", target.id},
        {"kind", rawValue(target.kind)},
        {"title", target.title},
        {"subtitle", target.subtitle},
        {"app", target.appName},
        {"bundleID", target.bundleID},
        {"score", target.score},
    };
    if (target.screenName) json["screen"] = *target.screenName;
    if (target.tab) json["url"] = target.tab->url;
    if (target.window) {
        const WindowRef& window = *target.window;
        json["onCurrentSpace"] = window.isOnCurrentSpace;
        json["raiseMode"] = window.element ? "ax-direct" : "activate+match";
        json["frame"] = toJson(window.frame);
    }
    return json;
}

nlohmann::json toJson(const Rect& rect) {
    return {{"x", rect.x}, {"y", rect.y}, {"w", rect.absWidth()}, {"h", rect.absHeight()}};
}

IdNumbering::Numbered IdNumbering::take(const std::string& base) {
    const std::int64_t repeat = seen_[base]++;
    return {repeat == 0 ? base : base + "#" + std::to_string(repeat), repeat};
}

}  // namespace zerlith
