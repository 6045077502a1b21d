#pragma once

#include "platform/hot_keys.hpp"
#include "settings/settings_model.hpp"
#include "settings/updater.hpp"
#include "shell/hot_key_manager.hpp"

namespace zerlith::ui {

/// The settings window as the switcher drives it. Its Qt Quick view lives in a module the
/// switcher loads the first time the window opens, so the resident switcher never loads Qt Quick.
/// Main thread.
class SettingsWindow {
public:
    virtual ~SettingsWindow() = default;

    /// Refreshes the model, then brings the window to the front.
    virtual void show() = 0;
    virtual bool isVisible() const = 0;
    /// The updater's status changed.
    virtual void updaterChanged() = 0;
};

/// The module's one entry point: makes the window, which the caller owns. `keys` names the
/// desktop's keys for the shortcut recorder; none where it cannot.
using MakeSettingsWindow = SettingsWindow*(SettingsModel& model, Updater& updater, HotKeyManager* hotKeys,
                                           platform::HotKeys* keys);
inline constexpr const char* kMakeSettingsWindowSymbol = "zerlith_make_settings_window";

}  // namespace zerlith::ui
