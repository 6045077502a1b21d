#include "providers/wlroots/support/sway_session.hpp"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <utility>

namespace zerlith::wlroots::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kUser = "zerlith-test";
constexpr const char* kUserLock = "/tmp/zerlith-test-user.lock";
constexpr double kDeadlineSeconds = 10.0;

std::vector<std::string> with(std::string program, const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{std::move(program)};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return argv;
}

struct Account {
    uid_t uid;
    gid_t gid;
};

std::optional<Account> lookUp(const char* user) {
    const passwd* entry = ::getpwnam(user);
    if (entry == nullptr) return std::nullopt;
    return Account{entry->pw_uid, entry->pw_gid};
}

/// The unprivileged user sway runs as under root, created on first use. Test processes take
/// turns through a lock file: two useradd runs at once can both add the user, the later one
/// replacing the first with another uid after a test has looked it up.
Account testUser() {
    struct Lock {
        int fd = ::open(kUserLock, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        ~Lock() {
            if (fd >= 0) ::close(fd);
        }
    } lock;
    if (lock.fd < 0 || ::flock(lock.fd, LOCK_EX) != 0) throw std::runtime_error(std::string("cannot lock ") + kUserLock);
    std::optional<Account> account = lookUp(kUser);
    if (!account) {
        ChildProcess::runToEnd({"useradd", "--system", "--no-create-home", "--shell", "/usr/sbin/nologin", kUser});
        account = lookUp(kUser);
    }
    if (!account) throw std::runtime_error(std::string("useradd could not create the user ") + kUser + " to run sway as");
    return *account;
}

std::string configuration(const std::vector<std::string>& extraLines) {
    std::string text =
        "output HEADLESS-1 pos 0 0 res 1920x1080\n"
        "output HEADLESS-2 pos 1920 0 res 1920x1080\n"
        "workspace 1 output HEADLESS-1\n"
        "workspace 2 output HEADLESS-2\n"
        "focus_follows_mouse no\n";
    for (const std::string& line : extraLines) text += line + "\n";
    return text;
}

std::string text(const nlohmann::json& node, const char* key) {
    auto found = node.find(key);
    return found != node.end() && found->is_string() ? found->get<std::string>() : std::string();
}

using ViewTest = std::function<bool(const nlohmann::json&)>;

std::optional<SwaySession::View> search(const nlohmann::json& node, const ViewTest& wanted, std::string workspace,
                                        std::string output) {
    const std::string type = text(node, "type");
    if (type == "output") output = text(node, "name");
    if (type == "workspace") workspace = text(node, "name");
    // Only views carry a pid; a workspace or split may share the title.
    if (node.contains("pid") && wanted(node)) return SwaySession::View{node, workspace, output};
    for (const char* children : {"nodes", "floating_nodes"}) {
        auto found = node.find(children);
        if (found == node.end()) continue;
        for (const nlohmann::json& child : *found) {
            if (auto view = search(child, wanted, workspace, output)) return view;
        }
    }
    return std::nullopt;
}

}  // namespace

bool SwaySession::installed(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (!folder.empty() && ::access((fs::path(folder) / program).c_str(), X_OK) == 0) return true;
    }
    return false;
}

SwaySession::SwaySession(Options options) {
    if (!available()) throw std::runtime_error("sway is not installed");
    const fs::path& root = folder_.path();
    const fs::path config = root / "sway.config";
    const fs::path runtime = root / "runtime";
    const fs::path log = runtime / "sway.log";
    zerlith::testing::writeText(config, configuration(options.extraConfig));
    const auto readable = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read;
    fs::permissions(config, readable);
    for (const auto& [name, text] : options.files) {
        zerlith::testing::writeText(root / name, text);
        fs::permissions(root / name, readable);
    }
    fs::create_directory(runtime);
    fs::permissions(runtime, fs::perms::owner_all);

    std::vector<std::string> argv;
    if (::geteuid() == 0) {
        Account account = testUser();
        // sway's user reaches its configuration and runtime folder through root's private folder.
        fs::permissions(root, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
        if (::chown(runtime.c_str(), account.uid, account.gid) != 0) {
            throw std::runtime_error("cannot hand the runtime folder to " + std::string(kUser));
        }
        argv = {"runuser", "-u", kUser, "--"};
    }

    const fs::path home = root / "home";
    const std::vector<std::pair<std::string, std::string>> privateVariables = {
        {"HOME", home.string()},
        {"XDG_CONFIG_HOME", (home / "config").string()},
        {"XDG_DATA_HOME", (home / "data").string()},
        {"XDG_CACHE_HOME", (home / "cache").string()},
        {"XDG_STATE_HOME", (home / "state").string()},
        {"XDG_DATA_DIRS", (home / "system-data").string()},
        {"XDG_CONFIG_DIRS", (home / "system-config").string()},
        {"XDG_RUNTIME_DIR", runtime.string()},
    };
    // An inherited SWAYSOCK would name the socket sway creates; the others belong to another session.
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "SWAYSOCK", "ZERLITH_PROVIDER"}) environment_.set(name, std::nullopt);
    // As a sway login names its desktop: the switcher picks its provider by it.
    environment_.set("XDG_CURRENT_DESKTOP", "sway");
    // runuser sets HOME and may let PAM set XDG_RUNTIME_DIR, so sway gets its variables spelt out.
    argv.push_back("env");
    for (const auto& [name, value] : privateVariables) {
        environment_.set(name, value);
        argv.push_back(name + "=" + value);
    }
    argv.insert(argv.end(), {"WLR_BACKENDS=headless", "WLR_RENDERER=pixman", "WLR_HEADLESS_OUTPUTS=2",
                             "WLR_LIBINPUT_NO_DEVICES=1"});
    // sway's log (errors only) goes to a file that a failure to start can quote.
    argv.insert(argv.end(), {"sh", "-c", "exec sway -c \"$1\" 2>\"$2\"", "sh", config.string(), log.string()});
    server_ = std::make_unique<ChildProcess>(argv, ChildProcess::Options{});

    auto failure = [&](const std::string& reason) {
        const std::string written = zerlith::testing::readText(log);
        return std::runtime_error("sway " + reason + (written.empty() ? "; it could not write " + log.string()
                                                                      : "; its log:\n" + written));
    };
    std::optional<int> exitStatus;
    std::string display, ipcSocket;
    bool sockets = eventually(
        [&] {
            if ((exitStatus = server_->wait(0.0))) return true;
            for (const fs::directory_entry& entry : fs::directory_iterator(runtime)) {
                const std::string name = entry.path().filename().string();
                if (name.starts_with("wayland-") && !name.ends_with(".lock")) display = name;
                if (name.starts_with("sway-ipc.") && name.ends_with(".sock")) ipcSocket = entry.path().string();
            }
            return !display.empty() && !ipcSocket.empty();
        },
        kDeadlineSeconds);
    if (exitStatus) throw failure("exited with status " + std::to_string(WEXITSTATUS(*exitStatus)) + " while starting");
    if (!sockets) throw failure("created no Wayland and IPC sockets in 10 s");
    environment_.set("WAYLAND_DISPLAY", display);
    sockets_ = runtime;
    display_ = display;
    environment_.set("SWAYSOCK", ipcSocket);
    bool answers = eventually(
        [&] {
            auto run = ChildProcess::runToEnd({"swaymsg", "-t", "get_version"}, kDeadlineSeconds);
            return run.status == 0;
        },
        kDeadlineSeconds);
    if (!answers) throw failure("did not answer over IPC in 10 s");
    keyboard_ = std::make_unique<ChildProcess>(std::vector<std::string>{"wtype", "-s", "86400000"},
                                               ChildProcess::Options{});
    const bool keyboard = eventually(
        [&] { return swaymsg({"-t", "get_inputs"}).find("keyboard") != std::string::npos; }, kDeadlineSeconds);
    if (!keyboard) throw failure("showed no keyboard of wtype's in 10 s");
}

SwaySession::~SwaySession() {
    // runuser passes a SIGTERM on but waits 2 s before it lets go; asked over IPC, sway ends at once.
    try {
        ChildProcess::runToEnd({"swaymsg", "exit"}, kDeadlineSeconds);
    } catch (const std::exception&) {
        // The fallback is ChildProcess's own stop.
    }
    server_->wait(kDeadlineSeconds);
}

std::string SwaySession::swaymsg(const std::vector<std::string>& arguments) {
    auto run = ChildProcess::runToEnd(with("swaymsg", arguments), kDeadlineSeconds);
    // 2 is a command sway refused, which the reply itself describes; 1 is no answer at all.
    if (!run.status || !WIFEXITED(*run.status) || (WEXITSTATUS(*run.status) != 0 && WEXITSTATUS(*run.status) != 2)) {
        throw std::runtime_error("swaymsg got no answer from sway");
    }
    return run.output;
}

void SwaySession::focusWorkspace(const std::string& name) {
    auto reply = nlohmann::json::parse(swaymsg({"workspace", name}));
    if (!reply.at(0).value("success", false)) throw std::runtime_error("sway did not switch to workspace " + name);
}

SwaySession::Window SwaySession::openWindow(const std::string& title, const std::vector<std::string>& program) {
    std::vector<std::string> argv{"foot", "--title=" + title};
    argv.insert(argv.end(), program.begin(), program.end());
    auto process = std::make_unique<ChildProcess>(argv, ChildProcess::Options{});
    std::optional<View> view;
    bool mapped = eventually(
        [&] {
            if (process->wait(0.0)) throw std::runtime_error("foot ended before its window " + title + " showed");
            return (view = findView(title)).has_value();
        },
        kDeadlineSeconds);
    if (!mapped) throw std::runtime_error("sway did not show the foot window " + title + " in 10 s");
    return Window{view->container.at("id").get<std::int64_t>(), process->pid(), std::move(process)};
}

nlohmann::json SwaySession::tree() { return nlohmann::json::parse(swaymsg({"-t", "get_tree"})); }

std::optional<SwaySession::View> SwaySession::findView(const std::string& title) {
    return search(tree(), [&](const nlohmann::json& view) { return text(view, "name") == title; }, "", "");
}

std::optional<SwaySession::View> SwaySession::focusedView() {
    return search(tree(), [](const nlohmann::json& view) { return view.value("focused", false); }, "", "");
}

std::vector<std::string> SwaySession::clientCommand(const fs::path& runtime,
                                                    const std::vector<std::string>& argv) const {
    std::vector<std::string> command{"env", "-u", "DISPLAY", "-u", "QT_QPA_PLATFORM", "-u", "ZERLITH_DESKTOP",
                                     "XDG_RUNTIME_DIR=" + runtime.string(),
                                     "WAYLAND_DISPLAY=" + (sockets_ / display_).string()};
    command.insert(command.end(), argv.begin(), argv.end());
    return command;
}

}  // namespace zerlith::wlroots::testing
