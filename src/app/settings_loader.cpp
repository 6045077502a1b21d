#include "app/settings_loader.hpp"

#include <cstdio>

#include "app/module_loader.hpp"

namespace zerlith::app {

std::unique_ptr<ui::SettingsWindow> loadSettingsWindow(SettingsModel& model, Updater& updater, HotKeyManager* hotKeys,
                                                       platform::HotKeys* keys) {
    const auto found = openModuleFunction(moduleBeside(kSettingsModuleName), ui::kMakeSettingsWindowSymbol);
    if (const auto* error = std::get_if<std::string>(&found)) {
        std::fprintf(stderr, "zerlith: the settings window cannot open: %s\n", error->c_str());
        return nullptr;
    }
    auto* make = reinterpret_cast<ui::MakeSettingsWindow*>(std::get<void*>(found));
    return std::unique_ptr<ui::SettingsWindow>(make(model, updater, hotKeys, keys));
}

}  // namespace zerlith::app
