#include "app/application.hpp"

#include <iostream>

#include <QGuiApplication>

#include "app/core_services.hpp"
#include "app/instance_channel.hpp"
#include "app/quit_signals.hpp"
#include "palette/palette_controller.hpp"
#include "ui/desktop_events_watch.hpp"
#include "ui/palette_quick_window.hpp"
#include "ui/qt_dispatch.hpp"
#include "ui/scene_graph.hpp"
#include "ui/x11_window_setup.hpp"

namespace zerlith::app {
namespace {

constexpr char kPaletteRequest[] = "palette";
constexpr char kReopenRequest[] = "reopen";

/// Where the windows go: an X11 display for the X11 desktop; for a simulated desktop, whatever
/// display Qt is given (offscreen included). Empty when there is none.
bool displayAvailable(const DesktopChoice& choice) {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return true;
    if (choice.display != nullptr && *choice.display != '\0') return true;
    return choice.desktopFile != nullptr && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

/// The running switcher: the palette and the channel other invocations reach it through.
class Switcher {
public:
    explicit Switcher(CoreServices& core)
        : palette_(core.snapshots(), core.usage(), core.activationLog(),
                   [&core](PaletteController& controller) {
                       return std::make_unique<ui::PaletteQuickWindow>(controller, core.icons());
                   }) {
        QObject::connect(&channel_, &InstanceChannel::requestReceived, &channel_,
                         [this](const QByteArray& request) { handle(request); });
        if (auto* events = core.desktop().desktopEvents()) {
            // Any change may touch the window list; the next opening refreshes it in the background.
            eventsWatch_.emplace(*events, [&core](const std::vector<platform::DesktopChange>&) {
                core.snapshots().markDirty(SnapshotStore::Source::windows);
            });
        }
        core.snapshots().refreshDirty();
    }

    bool listen(const QString& path) { return channel_.listen(path); }

    void handle(const QByteArray& request) {
        // Until the settings window exists, reopening the application opens its palette.
        if (request == kPaletteRequest || request == kReopenRequest) palette_.toggle();
    }

private:
    PaletteController palette_;
    InstanceChannel channel_;
    std::optional<ui::DesktopEventsWatch> eventsWatch_;
};

}  // namespace

int runApplication(int argc, char** argv, const CLI::Invocation& invocation, DesktopChoice choice) {
    if (!displayAvailable(choice)) {
        std::cerr << "zerlith: no display to show the switcher on: set DISPLAY\n";
        return 2;
    }
    // The X11 desktop's windows are X11 windows: the palette must be one too, also under XWayland.
    if (choice.desktopFile == nullptr && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    if (QByteArray(qgetenv("QT_QPA_PLATFORM")) == "xcb" && !ui::x11::displayReachable()) {
        std::cerr << "zerlith: cannot open the display " << (choice.display ? choice.display : "") << '\n';
        return 2;
    }
    // Handing a request over needs no GUI: `zerlith --palette` on a hot key stays quick.
    const bool paletteOnly = invocation.arguments.contains("--palette");
    std::string channelError;
    const auto socket = InstanceChannel::socketPath(&channelError);
    if (!socket) std::cerr << "zerlith: " << channelError << "; running without the single-instance channel\n";
    if (socket && InstanceChannel::send(*socket, paletteOnly ? kPaletteRequest : kReopenRequest)) return 0;
    if (paletteOnly) {
        std::cerr << "zerlith: Zerlith is not running\n";
        return 1;
    }

    QGuiApplication qt(argc, argv);
    QGuiApplication::setApplicationName("Zerlith");
    QGuiApplication::setDesktopFileName("zerlith");
    QGuiApplication::setQuitOnLastWindowClosed(false);
    ui::chooseSceneGraph();

    choice.makeDispatch = [] { return std::make_unique<ui::QtDispatch>(); };
    auto started = startRuntime(choice);
    if (auto* error = std::get_if<std::string>(&started)) {
        std::cerr << "zerlith: " << *error << '\n';
        return 2;
    }
    CoreServices core(std::get<Runtime>(std::move(started)));
    QuitSignals quitSignals;
    Switcher switcher(core);
    if (socket && !switcher.listen(*socket)) {
        std::cerr << "zerlith: cannot listen at " << socket->toStdString() << '\n';
    }
    return QGuiApplication::exec();
}

}  // namespace zerlith::app
