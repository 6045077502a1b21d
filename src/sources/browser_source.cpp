#include "sources/browser_source.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <initializer_list>

#include "platform/known_browsers.hpp"
#include "platform/platform.hpp"
#include "ranking/classifier.hpp"
#include "sources/source_text.hpp"
#include "system/apple_script_runner.hpp"
#include "system/permissions.hpp"
#include "system/running_apps.hpp"

namespace zerlith::BrowserSource {
namespace {

/// Limit for a browser that already allows automation.
constexpr double kAllowedTimeout = 5.0;
/// Limit while the system asks the user for consent: time for a person to answer.
constexpr double kConsentTimeout = 120.0;

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

/// The script's time limit for the browser's automation status; none when it is denied.
std::optional<double> scriptTimeout(BrowserKind browser) {
    switch (Permissions::automationStatus(browser)) {
        case Permissions::AutomationStatus::allowed: return kAllowedTimeout;
        case Permissions::AutomationStatus::notDetermined: return kConsentTimeout;
        case Permissions::AutomationStatus::denied: return std::nullopt;
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

/// The desktop entries of each family on Linux, to tell a browser running without the extension.
std::vector<std::string_view> familyIDs(BrowserKind browser) {
    switch (browser) {
        case BrowserKind::chrome:
            return {"com.google.Chrome", "chromium", "google-chrome", "brave-browser", "microsoft-edge"};
        case BrowserKind::safari: return {"com.apple.Safari"};
        case BrowserKind::firefox: return {"org.mozilla.firefox", "firefox", "firefox-esr"};
    }
    return {};
}

std::vector<platform::ConnectedBrowser> connectedBrowsers(platform::BrowserBridge& bridge, BrowserKind browser) {
    auto connected = bridge.connectedBrowsers();
    std::erase_if(connected, [&](const auto& each) { return each.kind != rawValue(browser); });
    return connected;
}

constexpr std::size_t kFieldCount = 6;
using Record = std::array<std::string_view, kFieldCount>;

/// Appends the target of one record unless a check drops it.
void appendTarget(const Record& fields, BrowserKind browser, std::string_view appName, IdNumbering& numbering,
                  std::vector<Target>& targets) {
    const auto windowID = detail::parseInteger(SourceText::trimmed(fields[0]));
    if (!windowID) return;
    const auto tabIndex = detail::parseInteger(fields[3]);
    if (!tabIndex) return;
    if (SourceText::trimmed(fields[1]) != "true") return;
    std::string title(SourceText::trimmed(fields[4]));
    std::string url(SourceText::trimmed(fields[5]));
    if (title.empty() && url.empty()) return;

    std::string host = Classifier::host(url);
    const auto category = Classifier::category(url, host);
    auto numbered = numbering.take("tab:" + std::string(rawValue(browser)) + ":" + std::to_string(*windowID) + ":" + url);
    if (title.empty()) title = host;

    Target target;
    target.id = std::move(numbered.id);
    target.kind = TargetKind::tab;
    target.title = std::move(title);
    target.subtitle = detail::subtitle(host, url, appName);
    target.appName = appName;
    target.bundleID = bundleIdentifier(browser);
    target.category = category;
    target.tab = TabRef{browser, *windowID, *tabIndex, std::move(url)};
    targets.push_back(std::move(target));
}

bool needsConsent(BrowserKind browser) {
    return runningApp(browser) &&
           Permissions::automationStatus(browser) != Permissions::AutomationStatus::allowed;
}

}  // namespace

std::optional<platform::RunningApplication> runningApp(BrowserKind browser) {
    auto* bridge = platform::current().browserBridge();
    if (!bridge) return RunningApps::withBundleID(bundleIdentifier(browser));
    const auto connected = connectedBrowsers(*bridge, browser);
    if (!connected.empty()) {
        return platform::RunningApplication{connected.front().pid, std::string(detail::nameOf(connected.front(), browser)),
                                            std::string(bundleIdentifier(browser))};
    }
    for (const auto& app : platform::current().workspace().runningApplications()) {
        if (app.bundleIdentifier && browserOfApplication(*app.bundleIdentifier) == browser) return app;
    }
    return std::nullopt;
}

std::optional<BrowserKind> browserOfApplication(std::string_view bundleID) {
    for (const BrowserKind browser : kAllBrowsers) {
        const auto ids = familyIDs(browser);
        if (std::find(ids.begin(), ids.end(), bundleID) != ids.end()) return browser;
    }
    return std::nullopt;
}

std::vector<Target> enumerate(BrowserKind browser) {
    if (auto* bridge = platform::current().browserBridge()) return detail::fromReports(connectedBrowsers(*bridge, browser), browser);
    if (enumerationScript(browser).empty() || !runningApp(browser)) return {};
    const auto timeout = scriptTimeout(browser);
    if (!timeout) return {};
    const auto output = AppleScriptRunner::run(enumerationScript(browser), *timeout);
    if (!output) return {};
    return detail::parse(*output, browser);
}

std::vector<BrowserKind> pendingConsent() {
    std::vector<BrowserKind> pending;
    for (const BrowserKind browser : kAllBrowsers) {
        if (needsConsent(browser)) pending.push_back(browser);
    }
    return pending;
}

void requestAutomationAccess() {
    for (const BrowserKind browser : kAllBrowsers) {
        if (needsConsent(browser)) enumerate(browser);
    }
}

const std::string& enumerationScript(BrowserKind browser) {
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

namespace detail {

std::vector<Target> parse(std::string_view output, BrowserKind browser) {
    IdNumbering numbering;
    std::vector<Target> targets;
    for (const auto record : split(output, kRecordSeparator)) {
        const auto fields = split(record, kFieldSeparator);
        if (fields.size() < kFieldCount) continue;
        appendTarget({fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]}, browser,
                     applicationName(browser), numbering, targets);
    }
    return targets;
}

std::vector<Target> fromReports(const std::vector<platform::ConnectedBrowser>& reports, BrowserKind browser) {
    IdNumbering numbering;
    std::vector<Target> targets;
    for (const auto& report : reports) {
        const auto appName = nameOf(report, browser);
        for (const auto& tab : report.tabs) {
            // An extension reports only the windows a user can see, so every one is visible.
            const auto windowID = std::to_string(tab.windowID);
            const auto index = std::to_string(tab.index);
            appendTarget({windowID, "true", {}, index, tab.title, tab.url}, browser, appName, numbering, targets);
        }
    }
    return targets;
}

std::string_view nameOf(const platform::ConnectedBrowser& connected, BrowserKind browser) {
    for (const auto& known : platform::kKnownBrowsers) {
        if (known.name == connected.name && known.kind == rawValue(browser)) return known.name;
    }
    return applicationName(browser);
}

std::string subtitle(std::string_view host, std::string_view url, std::string_view appName) {
    if (host.empty()) return std::string(appName);
    std::string text(host);
    if (const auto hint = Classifier::pathHint(url)) text.append("/").append(*hint);
    return text.append(" \u00B7 ").append(appName);
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

}  // namespace zerlith::BrowserSource
