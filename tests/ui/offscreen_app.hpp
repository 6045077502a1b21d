#pragma once

#include <QApplication>

#include "ui/scene_graph.hpp"

namespace zerlith::testing {

/// The process's Qt application (with widgets, as the switcher's) on the offscreen platform with
/// the application's scene graph, made at the first call: views render without a display and
/// without a GPU.
inline QApplication& offscreenApplication() {
    static int argc = 1;
    static char name[] = "zerlith-tests";
    static char* argv[] = {name, nullptr};
    static QApplication* application = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        auto* made = new QApplication(argc, argv);  // lives until the process ends, as Qt expects
        ui::configureRendering();
        return made;
    }();
    return *application;
}

}  // namespace zerlith::testing
