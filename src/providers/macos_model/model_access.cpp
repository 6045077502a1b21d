#include "providers/macos_model/model_access.hpp"

#include "platform/platform.hpp"

namespace zerlith::macos_model {

bool ModelAccess::granted(desktop::Grant grant) {
    auto& macOS = platform::currentMacOS();
    switch (grant) {
        case desktop::Grant::controlWindows: return macOS.accessibility().isProcessTrusted();
        case desktop::Grant::readWindowTitles: return macOS.windowServer().preflightScreenCaptureAccess();
    }
    return false;
}

void ModelAccess::ask(desktop::Grant grant) {
    auto& macOS = platform::currentMacOS();
    switch (grant) {
        case desktop::Grant::controlWindows: macOS.accessibility().promptForTrust(); return;
        case desktop::Grant::readWindowTitles: macOS.windowServer().requestScreenCaptureAccess(); return;
    }
}

void ModelAccess::openSettings(desktop::Grant grant) {
    const auto url = grant == desktop::Grant::controlWindows ? kAccessibilitySettingsURL : kScreenRecordingSettingsURL;
    platform::current().workspace().openURL(url);
}

}  // namespace zerlith::macos_model
