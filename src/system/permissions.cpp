#include "system/permissions.hpp"

#include <algorithm>

#include "platform/platform.hpp"

namespace zerlith::Permissions {

std::string_view rawValue(AutomationStatus status) {
    switch (status) {
        case AutomationStatus::allowed: return "allowed";
        case AutomationStatus::denied: return "denied";
        case AutomationStatus::notDetermined: return "notDetermined";
    }
    return "denied";
}

AutomationStatus automationStatusFromCode(int code) {
    if (code == platform::kAutomationAllowed) return AutomationStatus::allowed;
    if (code == platform::kAutomationNotDetermined) return AutomationStatus::notDetermined;
    return AutomationStatus::denied;
}

bool accessibilityGranted() { return platform::current().accessibility().isProcessTrusted(); }

bool screenRecordingGranted() { return platform::current().windowServer().preflightScreenCaptureAccess(); }

AutomationStatus automationStatus(BrowserKind browser) {
    // Through an extension nothing is ever refused: the browser is either connected or not yet.
    if (auto* bridge = platform::current().browserBridge()) {
        const auto connected = bridge->connectedBrowsers();
        const bool allowed = std::any_of(connected.begin(), connected.end(),
                                         [&](const auto& each) { return each.kind == rawValue(browser); });
        return allowed ? AutomationStatus::allowed : AutomationStatus::notDetermined;
    }
    return automationStatusFromCode(
        platform::current().scripting().automationStatus(bundleIdentifier(browser)));
}

void openAccessibilitySettings() { platform::current().workspace().openURL(kAccessibilitySettingsURL); }

void openScreenRecordingSettings() { platform::current().workspace().openURL(kScreenRecordingSettingsURL); }

void openAutomationSettings() { platform::current().workspace().openURL(kAutomationSettingsURL); }

}  // namespace zerlith::Permissions
