#include "app/application.hpp"

#include <chrono>
#include <iostream>
#include <thread>

#include <QApplication>

#include "app/core_services.hpp"
#include "app/instance_channel.hpp"
#include "app/quit_signals.hpp"
#include "app/switcher_shell.hpp"
#include "settings/autostart_entry.hpp"
#include "shell/app_delegate.hpp"
#include "system/instance_lock.hpp"
#include "system/preferences_file.hpp"
#include "ui/desktop_events_watch.hpp"
#include "ui/qt_dispatch.hpp"
#include "ui/scene_graph.hpp"
#include "ui/x11_window_setup.hpp"

namespace zerlith::app {
namespace {

/// What other invocations ask of the running instance over the channel.
constexpr char kPaletteRequest[] = "palette";
constexpr char kInstantRequest[] = "instant";
constexpr char kSettingsRequest[] = "settings";
constexpr char kReopenRequest[] = "reopen";
/// From a browser's host: "tabs-changed chrome".
constexpr char kTabsChangedRequest[] = "tabs-changed ";
/// How long a start that finds the instance lock taken waits for its holder to listen.
constexpr auto kStartingInstanceWait = std::chrono::seconds(20);

/// Where the windows go: an X11 display for the X11 desktop; for a simulated desktop, whatever
/// display Qt is given (offscreen included). Empty when there is none.
bool displayAvailable(const DesktopChoice& choice) {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return true;
    if (choice.display != nullptr && *choice.display != '\0') return true;
    return choice.desktopFile != nullptr && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

/// The request this invocation hands to a running instance.
const char* requestOf(const CLI::Invocation& invocation) {
    if (invocation.arguments.contains("--palette")) return kPaletteRequest;
    if (invocation.arguments.contains("--instant")) return kInstantRequest;
    if (invocation.arguments.contains("--settings")) return kSettingsRequest;
    return kReopenRequest;
}

/// The running switcher: the delegate over the Qt shell, the desktop's change events and the
/// channel other invocations reach it through.
class Switcher {
public:
    Switcher(CoreServices& core, platform::Preferences& preferences, LoginItem& loginItem)
        : core_(core),
          shell_(core, core.desktop().hotKeys(), preferences, loginItem),
          delegate_({core.snapshots(), core.usage(), core.activationLog(), preferences, core.dispatch(),
                     core.desktop().hotKeys(), core.desktop().desktopEvents(), std::cerr},
                    shell_) {
        shell_.setMenuTarget(delegate_);
        QObject::connect(&channel_, &InstanceChannel::requestReceived, &channel_,
                         [this](const QByteArray& request) { handle(request); });
        QObject::connect(qApp, &QGuiApplication::applicationStateChanged, &channel_, [this](Qt::ApplicationState state) {
            if (state == Qt::ApplicationActive) delegate_.applicationDidBecomeActive();
        });
        if (auto* events = core.desktop().desktopEvents()) {
            eventsWatch_.emplace(*events, [this](const std::vector<platform::DesktopChange>& changes) {
                delegate_.changeObserver().handle(changes);
            });
        }
        delegate_.applicationDidFinishLaunching();
    }

    bool listen(const std::string& path) { return channel_.listen(path); }

    void handle(const QByteArray& request) {
        if (request == kPaletteRequest) shell_.togglePalette(0, {});
        if (request == kInstantRequest) delegate_.instantSwitch();
        if (request == kSettingsRequest) delegate_.openSettings();
        if (request == kReopenRequest) delegate_.applicationShouldHandleReopen();
        if (request.startsWith(kTabsChangedRequest)) {
            const auto browser = request.mid(sizeof kTabsChangedRequest - 1).toStdString();
            if (auto* bridge = core_.desktop().browserBridge()) bridge->reportsChanged();
            if (const auto kind = browserKindFromRaw(browser)) delegate_.changeObserver().tabsChanged(*kind);
        }
    }

private:
    CoreServices& core_;
    SwitcherShell shell_;
    AppDelegate delegate_;
    InstanceChannel channel_;
    std::optional<ui::DesktopEventsWatch> eventsWatch_;
};

/// The desktop's own preferences (the simulated desktop's), else the user's preferences file;
/// in memory only when the user has no home folder.
std::unique_ptr<platform::Preferences> openPreferences(CoreServices& core) {
    if (core.desktop().preferences()) return nullptr;
    if (const auto path = PreferencesFile::defaultLocation())
        return std::make_unique<PreferencesFile>(*path, core.clock(), std::cerr);
    return std::make_unique<platform::MemoryPreferences>();
}

/// The user's autostart entry; for the simulated desktop, whose preferences stay in memory, a
/// login item in memory too.
std::unique_ptr<LoginItem> openLoginItem(CoreServices& core) {
    if (!core.desktop().preferences()) {
        if (auto entry = AutostartEntry::forUser(QCoreApplication::applicationFilePath().toStdString()))
            return std::make_unique<AutostartEntry>(std::move(*entry));
    }
    return std::make_unique<MemoryLoginItem>();
}

/// Another start holds the instance lock and is not listening yet: hands the request over once it
/// is. The exit status.
int handOverToStartingInstance(const std::string& socket, const char* request) {
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + kStartingInstanceWait;
    while (std::chrono::steady_clock::now() < deadline) {
        if (InstanceChannel::send(socket, request)) return 0;
        std::this_thread::sleep_for(100ms);
    }
    std::cerr << "zerlith: another Zerlith holds " << socket << ".lock but does not answer\n";
    return 1;
}

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
    const char* request = requestOf(invocation);
    std::string channelError;
    const auto socket = InstanceChannel::socketPath(&channelError);
    if (!socket) std::cerr << "zerlith: " << channelError << "; running without the single-instance channel\n";
    if (socket && InstanceChannel::send(*socket, request)) return 0;
    if (request != kReopenRequest) {
        std::cerr << "zerlith: Zerlith is not running\n";
        return 1;
    }
    // The lock, not the socket, decides which of two starts at once runs.
    auto outcome = InstanceLock::Outcome::unavailable;
    const auto lock = socket ? InstanceLock::take(*socket + ".lock", &outcome) : std::nullopt;
    if (outcome == InstanceLock::Outcome::heldElsewhere) return handOverToStartingInstance(*socket, request);
    if (socket && !lock) std::cerr << "zerlith: cannot lock " << *socket << ".lock; running without the single-instance channel\n";

    // Widgets, for the tray icon's menu.
    QApplication qt(argc, argv);
    QApplication::setApplicationName("Zerlith");
    QApplication::setDesktopFileName("dev.zerlith.Zerlith");  // the installed desktop entry
    QApplication::setQuitOnLastWindowClosed(false);
    ui::chooseSceneGraph();

    choice.makeDispatch = [] { return std::make_unique<ui::QtDispatch>(); };
    auto started = startRuntime(choice);
    if (auto* error = std::get_if<std::string>(&started)) {
        std::cerr << "zerlith: " << *error << '\n';
        return 2;
    }
    CoreServices core(std::get<Runtime>(std::move(started)));
    QuitSignals quitSignals;
    const auto ownPreferences = openPreferences(core);
    const auto loginItem = openLoginItem(core);
    Switcher switcher(core, ownPreferences ? *ownPreferences : *core.desktop().preferences(), *loginItem);
    if (lock && !switcher.listen(*socket)) std::cerr << "zerlith: cannot listen at " << *socket << '\n';
    return QApplication::exec();
}

}  // namespace zerlith::app
