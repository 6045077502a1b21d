#pragma once

#include <string_view>

#include "model/target.hpp"

/// The three permissions the switcher depends on where the desktop has them (the macOS model):
/// reading them (afresh on every call, nothing is cached), asking for them and opening the
/// settings pane where the user grants them. A desktop without permissions grants everything but
/// the automation of browsers, which only an extension brings in there. Any thread.
namespace zerlith::Permissions {

/// Whether this application may automate a browser.
enum class AutomationStatus { allowed, denied, notDetermined };

/// The case name: "allowed", "denied", "notDetermined".
std::string_view rawValue(AutomationStatus status);

/// The status for a code of the platform's automation check: 0 allowed, -1744 not yet asked,
/// anything else denied (refused, or the browser cannot be asked, e.g. it does not run).
AutomationStatus automationStatusFromCode(int code);

/// Accessibility: reading, raising and moving other applications' windows.
bool accessibilityGranted();
/// Screen Recording: window titles in the window server's list.
bool screenRecordingGranted();
/// Whether Accessibility is granted; when not, the desktop asks the user for it.
bool accessibilityGrantedOrAsk();
/// Asks the desktop to let the user grant Screen Recording.
void askForScreenRecording();
/// Automation of one browser, without asking the user.
AutomationStatus automationStatus(BrowserKind browser);

inline constexpr std::string_view kAccessibilitySettingsURL =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";
inline constexpr std::string_view kScreenRecordingSettingsURL =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_ScreenCapture";
inline constexpr std::string_view kAutomationSettingsURL =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_Automation";

/// Hand the pane's URL to the desktop's opener; nothing happens when nothing opens it.
void openAccessibilitySettings();
void openScreenRecordingSettings();
void openAutomationSettings();

}  // namespace zerlith::Permissions
