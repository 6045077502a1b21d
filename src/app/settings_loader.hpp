#pragma once

#include <memory>

#include "ui/settings_window.hpp"

namespace zerlith::app {

/// Opens the settings window's module and makes the window; none, said on standard error, when
/// the module cannot be opened. Main thread.
std::unique_ptr<ui::SettingsWindow> loadSettingsWindow(SettingsModel& model, Updater& updater, HotKeyManager* hotKeys,
                                                       platform::HotKeys* keys);

/// The module's file name.
inline constexpr const char* kSettingsModuleName = "zerlith-settings.so";

}  // namespace zerlith::app
