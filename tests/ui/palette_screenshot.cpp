// Renders the palette over a simulated desktop to a PNG, as a person would see it:
//   palette_screenshot DESKTOP.json OUTPUT.png [QUERY]
// Runs on Qt's offscreen platform; no display is needed.
#include <iostream>

#include <QGuiApplication>

#include "app/core_services.hpp"
#include "offscreen_app.hpp"
#include "palette/palette_controller.hpp"
#include "ui/palette_quick_window.hpp"
#include "ui/qt_dispatch.hpp"

int main(int argc, char** argv) {
    using namespace zerlith;
    if (argc < 3) {
        std::cerr << "usage: palette_screenshot DESKTOP.json OUTPUT.png [QUERY]\n";
        return 2;
    }
    testing::offscreenApplication();
    app::DesktopChoice choice{argv[1], nullptr, [] { return std::make_unique<ui::QtDispatch>(); }};
    auto started = app::startRuntime(choice);
    if (auto* error = std::get_if<std::string>(&started)) {
        std::cerr << *error << '\n';
        return 2;
    }
    app::CoreServices core(std::get<app::Runtime>(std::move(started)));
    core.snapshots().refreshAllBlocking();

    ui::PaletteQuickWindow* window = nullptr;
    PaletteController controller(core.snapshots(), core.usage(), core.activationLog(),
                                 [&](PaletteController& palette) {
                                     auto made = std::make_unique<ui::PaletteQuickWindow>(palette, core.icons());
                                     window = made.get();
                                     return made;
                                 });
    controller.show();
    if (argc > 3) controller.model().setQuery(argv[3]);
    QCoreApplication::processEvents();
    if (window == nullptr || !window->view().grabWindow().save(argv[2])) {
        std::cerr << "could not render the palette to " << argv[2] << '\n';
        return 1;
    }
    return 0;
}
