// The settings window's module: the switcher opens it the first time the window shows, and finds
// this function by name.
#include "ui/scene_graph.hpp"
#include "ui/settings_quick_window.hpp"

extern "C" Q_DECL_EXPORT zerlith::ui::SettingsWindow* zerlith_make_settings_window(
    zerlith::SettingsModel& model, zerlith::Updater& updater, zerlith::HotKeyManager* hotKeys,
    zerlith::platform::HotKeys* keys) {
    zerlith::ui::configureRendering();
    return new zerlith::ui::SettingsQuickWindow(model, updater, hotKeys, keys);
}
static_assert(std::is_same_v<decltype(zerlith_make_settings_window), zerlith::ui::MakeSettingsWindow>);
