// Saves what an X11 window shows, as the X server has it, to a PNG:
//   window_grab WINDOW-ID OUTPUT.png
// The window id as xdotool or xwininfo print it (decimal or 0x…). Needs DISPLAY.
#include <iostream>

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: window_grab WINDOW-ID OUTPUT.png\n";
        return 2;
    }
    bool number = false;
    const auto window = QString(argv[1]).toULongLong(&number, 0);
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication application(argc, argv);
    if (!number || QGuiApplication::primaryScreen() == nullptr) {
        std::cerr << "window_grab: no window " << argv[1] << " or no screen\n";
        return 2;
    }
    if (!QGuiApplication::primaryScreen()->grabWindow(static_cast<WId>(window)).save(argv[2])) {
        std::cerr << "window_grab: could not save " << argv[2] << '\n';
        return 1;
    }
    return 0;
}
