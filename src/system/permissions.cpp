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

bool accessibilityGranted() {
    auto* macOS = platform::current().macOS();
    return macOS == nullptr || macOS->accessibility().isProcessTrusted();
}

bool screenRecordingGranted() {
    auto* macOS = platform::current().macOS();
    return macOS == nullptr || macOS->windowServer().preflightScreenCaptureAccess();
}

bool accessibilityGrantedOrAsk() {
    if (accessibilityGranted()) return true;
    platform::currentMacOS().accessibility().promptForTrust();
    return false;
}

void askForScreenRecording() {
    if (auto* macOS = platform::current().macOS()) macOS->windowServer().requestScreenCaptureAccess();
}

AutomationStatus automationStatus(BrowserKind browser) {
    // Through an extension nothing is ever refused: the browser is either connected or not yet.
    if (auto* bridge = platform::current().browserBridge()) {
        const auto connected = bridge->connectedBrowsers();
        const bool allowed = std::any_of(connected.begin(), connected.end(),
                                         [&](const auto& each) { return each.kind == rawValue(browser); });
        return allowed ? AutomationStatus::allowed : AutomationStatus::notDetermined;
    }
    auto* macOS = platform::current().macOS();
    if (macOS == nullptr) return AutomationStatus::denied;
    return automationStatusFromCode(macOS->scripting().automationStatus(bundleIdentifier(browser)));
}

void openAccessibilitySettings() { platform::current().workspace().openURL(kAccessibilitySettingsURL); }

void openScreenRecordingSettings() { platform::current().workspace().openURL(kScreenRecordingSettingsURL); }

void openAutomationSettings() { platform::current().workspace().openURL(kAutomationSettingsURL); }

}  // namespace zerlith::Permissions
