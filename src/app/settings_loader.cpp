#include "app/settings_loader.hpp"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>

namespace zerlith::app {

std::unique_ptr<ui::SettingsWindow> loadSettingsWindow(SettingsModel& model, Updater& updater, HotKeyManager* hotKeys,
                                                       platform::HotKeys* keys) {
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        std::fprintf(stderr, "zerlith: the settings window cannot open: %s\n", error.message().c_str());
        return nullptr;
    }
    const auto path = (executable.parent_path() / kSettingsModuleName).string();
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    auto* make = module ? reinterpret_cast<ui::MakeSettingsWindow*>(::dlsym(module, ui::kMakeSettingsWindowSymbol))
                        : nullptr;
    if (make == nullptr) {
        std::fprintf(stderr, "zerlith: the settings window cannot open: %s\n", ::dlerror());
        return nullptr;
    }
    return std::unique_ptr<ui::SettingsWindow>(make(model, updater, hotKeys, keys));
}

}  // namespace zerlith::app
