// Renders the palette or the settings window over a simulated desktop to a PNG, as a person would
// see it:
//   palette_screenshot DESKTOP.json OUTPUT.png [QUERY]
//   palette_screenshot --settings DESKTOP.json OUTPUT.png
// Runs on Qt's offscreen platform; no display is needed.
#include <cstring>
#include <iostream>

#include <QImage>

#include "app/core_services.hpp"
#include "offscreen_app.hpp"
#include "palette/palette_controller.hpp"
#include "qt/qt_dispatch.hpp"
#include "settings/settings_model.hpp"
#include "ui/palette_popup.hpp"
#include "ui/settings_quick_window.hpp"

namespace {

/// A feed that is never asked: the picture shows no check.
class NoFeed final : public zerlith::UpdateFeed {
public:
    void fetch(const std::string&, std::function<void(Result)>) override {}
};

}  // namespace

int main(int argc, char** argv) {
    using namespace zerlith;
    const bool settings = argc > 1 && std::strcmp(argv[1], "--settings") == 0;
    if (settings) {
        --argc;
        ++argv;
    }
    if (argc < 3) {
        std::cerr << "usage: palette_screenshot [--settings] DESKTOP.json OUTPUT.png [QUERY]\n";
        return 2;
    }
    testing::offscreenApplication();
    app::DesktopChoice choice{{}, [] { return std::make_unique<qt::QtDispatch>(); }};
    choice.session.desktopFile = argv[1];
    auto started = app::startRuntime(choice);
    if (auto* error = std::get_if<std::string>(&started)) {
        std::cerr << *error << '\n';
        return 2;
    }
    app::CoreServices core(std::get<app::Runtime>(std::move(started)));
    core.snapshots().refreshAllBlocking();

    ui::PalettePopup* window = nullptr;
    PaletteController controller(core.snapshots(), core.usage(), core.activationLog(),
                                 [&](PaletteController& palette) {
                                     auto made = std::make_unique<ui::PalettePopup>(palette, core.icons(),
                                                                       core.desktop().provider().bringHereKeys);
                                     window = made.get();
                                     return made;
                                 });
    platform::MemoryPreferences preferences;
    MemoryLoginItem loginItem;
    NoFeed feed;
    Updater updater(preferences, core.clock(), core.dispatch(), feed, ZERLITH_VERSION, "");
    std::optional<HotKeyManager> hotKeys;
    auto* keys = core.desktop().hotKeys();
    if (keys != nullptr) hotKeys.emplace(*keys, core.dispatch());
    SettingsModel model({preferences, core.dispatch(), loginItem, updater, hotKeys ? &*hotKeys : nullptr,
                         {}, keys, &core.snapshots()});
    std::optional<ui::SettingsQuickWindow> settingsWindow;
    QImage picture;
    if (settings) {
        settingsWindow.emplace(model, updater, hotKeys ? &*hotKeys : nullptr, keys);
        settingsWindow->show();
        QCoreApplication::processEvents();
        picture = settingsWindow->view().grabWindow();
    } else {
        controller.show();
        if (argc > 3) controller.model().setQuery(argv[3]);
        QCoreApplication::processEvents();
        if (window != nullptr) picture = window->view().grab().toImage();
    }
    const bool saved = !picture.isNull() && picture.save(argv[2]);
    if (settingsWindow) model.stopPolling();
    if (!saved) {
        std::cerr << "could not render the window to " << argv[2] << '\n';
        return 1;
    }
    return 0;
}
