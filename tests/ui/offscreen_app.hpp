#pragma once

#include <QGuiApplication>

namespace zerlith::testing {

/// The process's Qt application on the offscreen platform with the software scene graph, made
/// at the first call: views render without a display and without a GPU.
inline QGuiApplication& offscreenApplication() {
    static int argc = 1;
    static char name[] = "zerlith-tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* application = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("QT_QUICK_BACKEND", "software");
        return new QGuiApplication(argc, argv);  // lives until the process ends, as Qt expects
    }();
    return *application;
}

}  // namespace zerlith::testing
