#include "system/permissions.hpp"

#include <algorithm>

#include "platform/platform.hpp"

namespace zerlith::Permissions {

bool granted(desktop::Grant grant) {
    auto* access = platform::current().access();
    return access == nullptr || access->granted(grant);
}

bool grantedOrAsk(desktop::Grant grant) {
    if (granted(grant)) return true;
    ask(grant);
    return false;
}

void ask(desktop::Grant grant) {
    if (auto* access = platform::current().access()) access->ask(grant);
}

void openSettings(desktop::Grant grant) {
    if (auto* access = platform::current().access()) access->openSettings(grant);
}

desktop::TabConsent tabConsent(BrowserKind browser) {
    // Through an extension nothing is ever refused: the browser is either connected or not yet.
    if (auto* bridge = platform::current().browserBridge()) {
        const auto connected = bridge->connectedBrowsers();
        const bool allowed = std::any_of(connected.begin(), connected.end(),
                                         [&](const auto& each) { return each.kind == rawValue(browser); });
        return allowed ? desktop::TabConsent::allowed : desktop::TabConsent::notDetermined;
    }
    auto* tabs = platform::current().tabs();
    if (tabs == nullptr || !tabs->reaches(browser)) return desktop::TabConsent::denied;
    return tabs->consent(browser);
}

void openTabConsentSettings() {
    if (auto* tabs = platform::current().tabs()) tabs->openConsentSettings();
}

}  // namespace zerlith::Permissions
