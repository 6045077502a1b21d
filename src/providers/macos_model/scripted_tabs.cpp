#include "providers/macos_model/scripted_tabs.hpp"

#include <charconv>
#include <initializer_list>

#include "platform/platform.hpp"
#include "providers/macos_model/apple_script_runner.hpp"
#include "providers/macos_model/window_menu.hpp"
#include "providers/macos_model/window_mover.hpp"
#include "sources/source_text.hpp"

namespace zerlith::macos_model {
namespace {

/// Limit for a browser that already allows automation.
constexpr double kAllowedTimeout = 5.0;
/// Limit while the system asks the user for consent: time for a person to answer.
constexpr double kConsentTimeout = 120.0;
constexpr double kFrontTabTitleTimeout = 3.0;
constexpr double kFrontTabURLTimeout = 2.0;
constexpr double kSelectScriptTimeout = 3.0;

struct ScriptLine {
    int indent;
    std::string_view text;
};

std::string joinLines(std::initializer_list<ScriptLine> lines) {
    std::string script;
    bool first = true;
    for (const auto& [indent, text] : lines) {
        if (!first) script += '\n';
        first = false;
        script.append(static_cast<std::size_t>(indent), ' ').append(text);
    }
    return script;
}

// The scripts print one record per tab; "\u00AC" is AppleScript's line continuation.
std::string safariScript() {
    return joinLines({
        {0, "tell application \"Safari\""},
        {4, "set fs to (ASCII character 31)"},
        {4, "set rs to (ASCII character 30)"},
        {4, "set out to \"\""},
        {4, "repeat with w in windows"},
        {8, "try"},
        {12, "set wid to id of w"},
        {12, "set vis to visible of w"},
        {12, "set act to index of current tab of w"},
        {12, "set ts to name of every tab of w"},
        {12, "set us to URL of every tab of w"},
        {12, "repeat with j from 1 to count of ts"},
        {16, "set out to out & wid & fs & vis & fs & act & fs & j & fs & \u00AC"},
        {20, "(item j of ts) & fs & (item j of us) & rs"},
        {12, "end repeat"},
        {8, "end try"},
        {4, "end repeat"},
        {4, "return out"},
        {0, "end tell"},
    });
}

std::string chromeScript() {
    return joinLines({
        {0, "tell application \"Google Chrome\""},
        {4, "set fs to (ASCII character 31)"},
        {4, "set rs to (ASCII character 30)"},
        {4, "set winIDs to id of every window"},
        {4, "set winVis to visible of every window"},
        {4, "set winAct to active tab index of every window"},
        {4, "set allTitles to title of every tab of every window"},
        {4, "set allURLs to URL of every tab of every window"},
        {4, "set out to \"\""},
        {4, "repeat with i from 1 to count of winIDs"},
        {8, "set ts to item i of allTitles"},
        {8, "set us to item i of allURLs"},
        {8, "repeat with j from 1 to count of ts"},
        {12, "set out to out & (item i of winIDs) & fs & (item i of winVis) & fs & \u00AC"},
        {16, "(item i of winAct) & fs & j & fs & (item j of ts) & fs & (item j of us) & rs"},
        {8, "end repeat"},
        {4, "end repeat"},
        {4, "return out"},
        {0, "end tell"},
    });
}

enum class TabField { title, url };

/// A script that returns one field of the tab the browser's front window shows.
std::string frontTabScript(BrowserKind browser, TabField field) {
    const bool url = field == TabField::url;
    switch (browser) {
        case BrowserKind::chrome:
            return std::string("tell application \"Google Chrome\" to return ") + (url ? "URL" : "title") +
                   " of active tab of front window";
        case BrowserKind::safari:
            return std::string("tell application \"Safari\" to return ") + (url ? "URL" : "name") +
                   " of current tab of front window";
        case BrowserKind::firefox: return {};
    }
    return {};
}

/// The script's time limit for the consent; none when it is denied.
std::optional<double> scriptTimeout(desktop::TabConsent consent) {
    switch (consent) {
        case desktop::TabConsent::allowed: return kAllowedTimeout;
        case desktop::TabConsent::notDetermined: return kConsentTimeout;
        case desktop::TabConsent::denied: return std::nullopt;
    }
    return std::nullopt;
}

std::vector<std::string_view> split(std::string_view text, std::string_view separator) {
    std::vector<std::string_view> pieces;
    for (;;) {
        const auto end = text.find(separator);
        pieces.push_back(text.substr(0, end));
        if (end == std::string_view::npos) return pieces;
        text.remove_prefix(end + separator.size());
    }
}

constexpr std::size_t kFieldCount = 6;

}  // namespace

bool ScriptedTabs::reaches(BrowserKind browser) const { return !listingScript(browser).empty(); }

desktop::TabConsent ScriptedTabs::consent(BrowserKind browser) {
    return consentFromCode(platform::currentMacOS().scripting().automationStatus(bundleIdentifier(browser)));
}

std::vector<platform::BrowserTab> ScriptedTabs::list(BrowserKind browser) {
    if (!reaches(browser)) return {};
    const auto timeout = scriptTimeout(consent(browser));
    if (!timeout) return {};
    const auto output = AppleScriptRunner::run(listingScript(browser), *timeout);
    if (!output) return {};
    return detail::parse(*output);
}

bool ScriptedTabs::select(ActivationLog& log, Pid browser, const Target& target,
                          const std::optional<platform::Screen>& movingTo) {
    auto work = [&log, browser, tab = *target.tab, title = target.title, movingTo] {
        AppleScriptRunner::run(selectTabScript(tab), kSelectScriptTimeout);
        platform::current().clock().sleep(desktop::kAfterTabSelectWait);
        const bool raised = WindowMenu::raise(log, browser, title, 0, [&tab] { return frontTabShows(tab); });
        if (!raised) platform::current().workspace().activate(browser);
        WindowMover::moveOnceFocused(browser, movingTo);
    };
    platform::current().dispatch().concurrentQueue().async(std::move(work));
    return true;
}

std::optional<std::string> ScriptedTabs::frontTabTitle(BrowserKind browser) {
    if (!reaches(browser)) return std::nullopt;
    const auto output = AppleScriptRunner::run(frontTabScript(browser, TabField::title), kFrontTabTitleTimeout);
    if (!output) return std::nullopt;
    return std::string(SourceText::trimmed(*output));
}

void ScriptedTabs::openConsentSettings() { platform::current().workspace().openURL(kAutomationSettingsURL); }

const std::string& listingScript(BrowserKind browser) {
    static const std::string chrome = chromeScript();
    static const std::string safari = safariScript();
    static const std::string none;
    switch (browser) {
        case BrowserKind::chrome: return chrome;
        case BrowserKind::safari: return safari;
        case BrowserKind::firefox: return none;
    }
    return none;
}

std::string selectTabScript(const TabRef& tab) {
    const auto windowID = std::to_string(tab.windowID);
    const auto tabIndex = std::to_string(tab.tabIndex);
    switch (tab.browser) {
        case BrowserKind::chrome:
            return "tell application \"Google Chrome\"\n    set targetWindow to first window whose id is " +
                   windowID + "\n    set active tab index of targetWindow to " + tabIndex + "\nend tell";
        case BrowserKind::safari:
            return "tell application \"Safari\"\n    set targetWindow to first window whose id is " + windowID +
                   "\n    set current tab of targetWindow to tab " + tabIndex + " of targetWindow\nend tell";
        case BrowserKind::firefox: return {};
    }
    return {};
}

bool frontTabShows(const TabRef& tab) {
    const auto output = AppleScriptRunner::run(frontTabScript(tab.browser, TabField::url), kFrontTabURLTimeout);
    return output && SourceText::trimmed(*output) == tab.url;
}

desktop::TabConsent consentFromCode(int code) {
    if (code == platform::kAutomationAllowed) return desktop::TabConsent::allowed;
    if (code == platform::kAutomationNotDetermined) return desktop::TabConsent::notDetermined;
    return desktop::TabConsent::denied;
}

namespace detail {

std::vector<platform::BrowserTab> parse(std::string_view output) {
    std::vector<platform::BrowserTab> tabs;
    for (const auto record : split(output, kRecordSeparator)) {
        const auto fields = split(record, kFieldSeparator);
        if (fields.size() < kFieldCount) continue;
        const auto windowID = parseInteger(SourceText::trimmed(fields[0]));
        const auto index = parseInteger(fields[3]);
        if (!windowID || !index || SourceText::trimmed(fields[1]) != "true") continue;
        const bool active = parseInteger(SourceText::trimmed(fields[2])) == index;
        tabs.push_back({*windowID, *index, active, std::string(fields[4]), std::string(fields[5])});
    }
    return tabs;
}

std::optional<std::int64_t> parseInteger(std::string_view text) {
    std::string_view digits = text;
    if (digits.starts_with('+') || digits.starts_with('-')) digits.remove_prefix(1);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    // from_chars reads a "-" itself but refuses a "+".
    if (text.starts_with('+')) text = digits;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace detail

}  // namespace zerlith::macos_model
