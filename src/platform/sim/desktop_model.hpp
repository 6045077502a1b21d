#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/geometry.hpp"
#include "platform/workspace.hpp"

namespace zerlith::sim {

/// The state of a simulated desktop: the members of the desktop file (desktop-format.md) with
/// their defaults applied. A plain value; SimDesktop guards the one it runs on.

enum class Automation { allowed, denied, notDetermined };
enum class Consent { allow, deny };
enum class ScriptBehaviour { ok, fail, hang };

/// The scriptable browsers: the apps with the bundle identifiers "com.google.Chrome" and
/// "com.apple.Safari".
enum class Browser { chrome, safari };

/// One value per scriptable browser.
template <class T>
struct PerBrowser {
    T chrome;
    T safari;

    T& operator[](Browser browser) { return browser == Browser::chrome ? chrome : safari; }
    const T& operator[](Browser browser) const { return browser == Browser::chrome ? chrome : safari; }
};

struct Permissions {
    bool accessibility = true;
    bool screenRecording = true;
    /// Changes during a run when a script makes the desktop ask for consent.
    PerBrowser<Automation> automation{Automation::allowed, Automation::allowed};
    /// What the user answers when asked.
    PerBrowser<Consent> consent{Consent::allow, Consent::allow};
};

struct Screen {
    std::string name;
    Rect frame;         ///< bottom-left space
    Rect visibleFrame;  ///< bottom-left space
};

struct MenuItem {
    std::string title;
    std::optional<std::int64_t> raises;  ///< the window number this item raises; none: does nothing
};

struct Menu {
    std::string title;
    std::vector<MenuItem> items;
};

struct App {
    Pid pid = 0;
    std::optional<std::string> name;
    std::optional<std::string> bundleID;
    platform::ActivationPolicy policy = platform::ActivationPolicy::regular;
    bool axError = false;
    bool axHang = false;
    /// None: one "Window" menu listing the app's windows (see windowMenu()); empty: no menus.
    std::optional<std::vector<Menu>> menus;
    bool pressNeedsActivation = false;
    ScriptBehaviour script = ScriptBehaviour::ok;
};

struct Tab {
    std::string title;
    std::string url;
};

/// A window layer as the file gives it: integers and reals stay distinct.
using Layer = std::variant<std::int64_t, double>;

struct Window {
    std::int64_t number = 0;
    Pid pid = 0;
    std::optional<std::string> title;  ///< none: the window record has no title key
    Rect frame;                        ///< top-left space
    Layer layer = std::int64_t{0};
    std::optional<double> alpha = 1.0;  ///< none: the window record has no alpha key
    bool onscreen = true;
    bool ax = true;
    std::optional<std::string> axTitle;  ///< none: the title cannot be read
    Rect axFrame;
    bool minimized = false;
    bool fullScreen = false;
    std::vector<Tab> tabs;
    std::int64_t activeTab = 1;  ///< from 1
    std::int64_t scriptId = 0;
    bool scriptVisible = true;

    /// Set when the file left the member out: `title` is the active tab's title and `axTitle`
    /// is `title`, and both follow when a script selects another tab.
    bool titleFollowsActiveTab = false;
    bool axTitleFollowsTitle = false;
};

/// A global key in its stored form (HotKeys).
struct KeyChord {
    std::uint32_t keyCode = 0;
    std::uint32_t carbonModifiers = 0;
    bool operator==(const KeyChord&) const = default;
};

/// The process id the desktop gives Zerlith when the file names none (`selfPid`): no process has it.
inline constexpr Pid kNoSelfPid = -1;

struct DesktopModel {
    Permissions permissions;
    std::vector<Screen> screens;
    std::int64_t mainScreen = 0;  ///< index into `screens`
    Point pointer;
    std::vector<App> apps;
    std::vector<Window> windows;  ///< front to back
    std::optional<Pid> frontmost;
    std::optional<Pid> selfPid;
    std::optional<double> now;
    /// Time passes only while the program waits, and every wait ends at once: the process runs
    /// on a manual clock and its background work on the main thread, in order.
    bool virtualTime = false;
    /// Global keys other applications hold: registering them fails.
    std::vector<KeyChord> heldShortcuts;
    /// Taking a global key changes the desktop's own configuration, as a binding added to sway does.
    bool shortcutsNeedConsent = false;
    /// What the current keyboard layout writes on a key code; a code not listed writes nothing.
    std::map<std::uint32_t, std::string> keyNames;
    /// The preferences the desktop starts with, by key.
    std::map<std::string, nlohmann::json, std::less<>> preferences;
};

}  // namespace zerlith::sim
