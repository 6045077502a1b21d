#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include <nlohmann/json.hpp>

#include "model/category.hpp"
#include "platform/geometry.hpp"

namespace zerlith {

enum class TargetKind { window, tab };

std::string_view rawValue(TargetKind kind);
/// "window" or "tab"; none for any other text.
std::optional<TargetKind> targetKindFromRaw(std::string_view raw);

/// The browsers whose tabs are listed; every list of browsers walks them in this order. Firefox
/// is reached only through its extension; the Chromium family counts as chrome.
enum class BrowserKind { chrome, safari, firefox };
inline constexpr BrowserKind kAllBrowsers[] = {BrowserKind::chrome, BrowserKind::safari, BrowserKind::firefox};

std::string_view rawValue(BrowserKind browser);          ///< "chrome", "safari", "firefox"
std::string_view bundleIdentifier(BrowserKind browser);  ///< "com.google.Chrome", "com.apple.Safari", "org.mozilla.firefox"
std::string_view applicationName(BrowserKind browser);   ///< "Google Chrome", "Safari", "Firefox"
/// "chrome", "safari" or "firefox"; none for any other text.
std::optional<BrowserKind> browserKindFromRaw(std::string_view raw);

/// Where one browser tab lives.
struct TabRef {
    BrowserKind browser = BrowserKind::chrome;
    std::int64_t windowID = 0;  ///< the browser's scripting id of the window
    std::int64_t tabIndex = 0;  ///< position in the window, from 1
    std::string url;
};

/// A desktop provider's own hold on one window (an accessibility element, say), kept with the
/// window's target so the window can be raised without being found again. Opaque to the core.
class WindowHandle {
public:
    virtual ~WindowHandle() = default;
};

/// The desktop's identity of one window. Immutable; shared by the copies of a target.
struct WindowRef {
    std::uint32_t windowID = 0;  ///< the desktop's own id of the window
    Pid pid = 0;
    Rect frame;  ///< top-left space, as the window list reports it
    bool isOnCurrentSpace = false;
    bool raisesDirectly = false;  ///< the provider raises it by itself, not through its application
    std::shared_ptr<const WindowHandle> handle;  ///< the provider's, when it has one
    std::int64_t duplicateIndex = 0;
};

/// One switchable item: a window or a browser tab. A value; compare targets by id.
struct Target {
    std::string id;
    TargetKind kind = TargetKind::window;
    std::string title;
    std::string subtitle;
    std::string appName;
    std::string bundleID;
    std::optional<std::string> screenName;
    std::optional<Classifier::Category> category;
    double score = 0;
    std::shared_ptr<const WindowRef> window;  ///< present exactly for window targets
    std::optional<TabRef> tab;                ///< present exactly for tab targets
};

/// The JSON form of a target: members left out rather than null; "category" never written.
nlohmann::json toJson(const Target& target);

/// A rectangle as {"x", "y", "w", "h"}: the origin as stored, width and height as magnitudes.
nlohmann::json toJson(const Rect& rect);

/// Numbers the ids of one enumeration pass: the first target with a base id keeps it, the k-th
/// repeat becomes "base#k".
class IdNumbering {
public:
    struct Numbered {
        std::string id;
        std::int64_t repeat;  ///< 0 for the first occurrence
    };
    Numbered take(const std::string& base);

private:
    std::unordered_map<std::string, std::int64_t> seen_;
};

}  // namespace zerlith
