#include "ui/window_host.hpp"

#include <memory>

#include <QGuiApplication>

#include "ui/x11_window_host.hpp"

namespace zerlith::ui {

WindowHost& WindowHost::current() {
    static const std::unique_ptr<WindowHost> host =
        QGuiApplication::platformName() == "xcb" ? std::make_unique<X11WindowHost>() : std::make_unique<WindowHost>();
    return *host;
}

}  // namespace zerlith::ui
