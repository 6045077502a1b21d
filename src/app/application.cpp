#include "app/application.hpp"

#include <chrono>
#include <iostream>
#include <thread>
#include <vector>

#include <QApplication>

#include "app/core_services.hpp"
#include "app/instance_channel.hpp"
#include "app/instance_client.hpp"
#include "app/quit_signals.hpp"
#include "app/switcher_shell.hpp"
#include "platform/latency_trace.hpp"
#include "qt/desktop_events_watch.hpp"
#include "qt/qt_dispatch.hpp"
#include "settings/autostart_entry.hpp"
#include "shell/app_delegate.hpp"
#include "system/instance_lock.hpp"
#include "system/preferences_file.hpp"
#include "ui/x11_window_host.hpp"

namespace zerlith::app {
namespace {

/// How long a start that finds the instance lock taken waits for its holder to listen.
constexpr auto kStartingInstanceWait = std::chrono::seconds(20);

/// The running switcher: the delegate over the Qt shell, the desktop's change events and the
/// channel other invocations reach it through.
class Switcher {
public:
    Switcher(CoreServices& core, platform::Preferences& preferences, LoginItem& loginItem, std::string command,
             bool waylandSession)
        : core_(core),
          shell_(core, core.desktop().hotKeys(), preferences, loginItem, std::move(command), waylandSession),
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

    void handle(const QByteArray& received) {
        using namespace instance_request;
        const std::string_view request(received.constData(), static_cast<std::size_t>(received.size()));
        if (request == palette) {
            platform::latency::start("palette request read");
            shell_.togglePalette(0, {});
        }
        if (request == instant) delegate_.instantSwitch();
        if (request == settings) delegate_.openSettings();
        if (request == reopen) delegate_.applicationShouldHandleReopen();
        if (request.starts_with(tabsChanged)) {
            const std::string browser(request.substr(tabsChanged.size()));
            if (auto* bridge = core_.desktop().browserBridge()) bridge->reportsChanged();
            if (const auto kind = browserKindFromRaw(browser)) delegate_.changeObserver().tabsChanged(*kind);
        }
    }

private:
    CoreServices& core_;
    SwitcherShell shell_;
    AppDelegate delegate_;
    InstanceChannel channel_;
    std::optional<qt::DesktopEventsWatch> eventsWatch_;
};

/// The desktop's own preferences (the simulated desktop's), else the user's preferences file;
/// in memory only when the user has no home folder.
std::unique_ptr<platform::Preferences> openPreferences(CoreServices& core) {
    if (core.desktop().preferences()) return nullptr;
    if (const auto path = PreferencesFile::defaultLocation())
        return std::make_unique<PreferencesFile>(*path, core.clock(), std::cerr);
    return std::make_unique<platform::MemoryPreferences>();
}

/// The user's autostart entry, starting `command`; for the simulated desktop, whose preferences
/// stay in memory, a login item in memory too.
std::unique_ptr<LoginItem> openLoginItem(CoreServices& core, const std::string& command) {
    if (!core.desktop().preferences()) {
        if (auto entry = AutostartEntry::forUser(command))
            return std::make_unique<AutostartEntry>(std::move(*entry));
    }
    return std::make_unique<MemoryLoginItem>();
}

/// The command the user starts Zerlith with: the launcher passes its own path as the first
/// argument; started some other way, this executable.
std::string commandPath(const char* first) {
    if (first != nullptr && first[0] == '/') return first;
    return QCoreApplication::applicationFilePath().toStdString();
}

/// Another start holds the instance lock and is not listening yet: asks it to reopen once it
/// is. The exit status.
int handOverToStartingInstance(const std::string& socket) {
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + kStartingInstanceWait;
    while (std::chrono::steady_clock::now() < deadline) {
        if (sendToInstance(socket, instance_request::reopen)) return 0;
        std::this_thread::sleep_for(100ms);
    }
    std::cerr << "zerlith: another Zerlith holds " << socket << ".lock but does not answer\n";
    return 1;
}

}  // namespace

int runApplication(int argc, char** argv, DesktopChoice choice) {
    std::string channelError;
    const auto socket = instanceSocketPath(&channelError);
    if (!socket) std::cerr << "zerlith: " << channelError << "; running without the single-instance channel\n";
    // The lock, not the socket, decides which of two starts at once runs.
    auto outcome = InstanceLock::Outcome::unavailable;
    const auto lock = socket ? InstanceLock::take(*socket + ".lock", &outcome) : std::nullopt;
    if (outcome == InstanceLock::Outcome::heldElsewhere) return handOverToStartingInstance(*socket);
    if (socket && !lock) std::cerr << "zerlith: cannot lock " << *socket << ".lock; running without the single-instance channel\n";

    choice.makeDispatch = [] { return std::make_unique<qt::QtDispatch>(); };
    auto started = startRuntime(choice);
    if (auto* error = std::get_if<std::string>(&started)) {
        std::cerr << "zerlith: " << *error << '\n';
        return 2;
    }
    auto& runtime = std::get<Runtime>(started);
    // The palette must be a window of the desktop's own windowing system to be seen above its
    // windows and get the keyboard (X11 also under XWayland). Qt is told so on its command line:
    // the environment would pass the choice on to every program the switcher opens.
    std::vector<char*> qtArguments(argv, argv + argc);
    char platformOption[] = "-platform";
    QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (choice.session.desktopFile.empty() && platform.isEmpty()) {
        const bool wayland = runtime.desktop->provider().windowSystem == desktop::WindowSystem::wayland;
        platform = wayland ? "wayland" : "xcb";
        qtArguments.insert(qtArguments.end(), {platformOption, platform.data()});
    }
    if (platform == "xcb" && !ui::X11WindowHost::displayReachable()) {
        std::cerr << "zerlith: cannot open the display " << choice.session.display << '\n';
        return 2;
    }
    int qtArgumentCount = static_cast<int>(qtArguments.size());
    qtArguments.push_back(nullptr);

    // Widgets: the palette and the tray icon's menu.
    QApplication qt(qtArgumentCount, qtArguments.data());
    QApplication::setApplicationName("Zerlith");
    QApplication::setDesktopFileName("dev.zerlith.Zerlith");  // the installed desktop entry
    QApplication::setQuitOnLastWindowClosed(false);

    CoreServices core(std::move(runtime));
    QuitSignals quitSignals;
    const auto ownPreferences = openPreferences(core);
    const auto command = commandPath(argv[0]);
    const auto loginItem = openLoginItem(core, command);
    Switcher switcher(core, ownPreferences ? *ownPreferences : *core.desktop().preferences(), *loginItem, command,
                      choice.session.wayland());
    if (lock && !switcher.listen(*socket)) std::cerr << "zerlith: cannot listen at " << *socket << '\n';
    return QApplication::exec();
}

}  // namespace zerlith::app
