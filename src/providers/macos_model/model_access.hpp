#pragma once

#include <string_view>

#include "desktop/access.hpp"

namespace zerlith::macos_model {

inline constexpr std::string_view kAccessibilitySettingsURL =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";
inline constexpr std::string_view kScreenRecordingSettingsURL =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_ScreenCapture";

/// Controlling windows is the Accessibility permission, reading their titles Screen Recording.
class ModelAccess final : public desktop::Access {
public:
    bool granted(desktop::Grant grant) override;
    void ask(desktop::Grant grant) override;
    /// Hands the pane's URL to the desktop's opener.
    void openSettings(desktop::Grant grant) override;
};

}  // namespace zerlith::macos_model
