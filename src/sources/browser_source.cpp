#include "sources/browser_source.hpp"

#include <algorithm>

#include "desktop/tabs.hpp"
#include "platform/known_browsers.hpp"
#include "platform/platform.hpp"
#include "ranking/classifier.hpp"
#include "sources/source_text.hpp"
#include "system/permissions.hpp"
#include "system/running_apps.hpp"

namespace zerlith::BrowserSource {
namespace {

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

/// Appends the target of one tab unless it has neither title nor URL.
void appendTarget(const platform::BrowserTab& tab, BrowserKind browser, std::string_view appName,
                  IdNumbering& numbering, std::vector<Target>& targets) {
    std::string title(SourceText::trimmed(tab.title));
    std::string url(SourceText::trimmed(tab.url));
    if (title.empty() && url.empty()) return;

    std::string host = Classifier::host(url);
    const auto category = Classifier::category(url, host);
    auto numbered = numbering.take("tab:" + std::string(rawValue(browser)) + ":" + std::to_string(tab.windowID) + ":" + url);
    if (title.empty()) title = host;

    Target target;
    target.id = std::move(numbered.id);
    target.kind = TargetKind::tab;
    target.title = std::move(title);
    target.subtitle = detail::subtitle(host, url, appName);
    target.appName = appName;
    target.bundleID = bundleIdentifier(browser);
    target.category = category;
    target.tab = TabRef{browser, tab.windowID, tab.index, std::move(url)};
    targets.push_back(std::move(target));
}

bool needsConsent(BrowserKind browser) {
    return runningApp(browser) && Permissions::tabConsent(browser) != desktop::TabConsent::allowed;
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
    auto& platform = platform::current();
    if (auto* bridge = platform.browserBridge()) return detail::fromReports(connectedBrowsers(*bridge, browser), browser);
    auto* tabs = platform.tabs();
    if (tabs == nullptr || !tabs->reaches(browser)) return {};
    const auto app = runningApp(browser);
    if (!app) return {};
    // The desktop's tabs go the extension's way, named after the family.
    return detail::fromReports({{std::string(rawValue(browser)), app->pid, tabs->list(browser), {}}}, browser);
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

namespace detail {

std::vector<Target> fromReports(const std::vector<platform::ConnectedBrowser>& reports, BrowserKind browser) {
    IdNumbering numbering;
    std::vector<Target> targets;
    for (const auto& report : reports) {
        const auto appName = nameOf(report, browser);
        for (const auto& tab : report.tabs) appendTarget(tab, browser, appName, numbering, targets);
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

}  // namespace detail

}  // namespace zerlith::BrowserSource
