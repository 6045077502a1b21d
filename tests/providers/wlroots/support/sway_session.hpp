#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/child_process.hpp"
#include "support/eventually.hpp"
#include "support/scoped_environment.hpp"
#include "support/temp_folder.hpp"

namespace zerlith::wlroots::testing {

using zerlith::testing::ChildProcess;
using zerlith::testing::eventually;
using zerlith::testing::ScopedEnvironment;

/// A private headless sway session for one test: two outputs HEADLESS-1 at 0 0 and HEADLESS-2 at
/// 1920 0, 1920 × 1080 each, workspace 1 on the first and 2 on the second, no bar, focus that does
/// not follow the mouse. sway refuses to run as root, so a root test process runs it as the
/// system user `zerlith-test`, created on first use. While it lives, the test process and the
/// children it starts see XDG_RUNTIME_DIR, WAYLAND_DISPLAY and SWAYSOCK of this session, no
/// DISPLAY, and HOME and the XDG folders in a private empty home, so nothing reads the machine's
/// desktop entries, preferences or history. A seat has a keyboard all along, but a headless one
/// has only the keyboard of each wtype run, which goes when the run ends, and the keyboard focus
/// would go with it (a palette focused then closes): an idle wtype keeps a keyboard on the seat for
/// the session's length. Throws std::runtime_error when sway is missing or does not answer within
/// 10 s.
class SwaySession {
public:
    struct Options {
        /// Appended to the configuration, e.g. a `bindsym` that takes a key before the test does.
        std::vector<std::string> extraConfig;
        /// Files written beside the configuration (name, text), for it to include.
        std::vector<std::pair<std::string, std::string>> files;
    };

    /// A foot window; it lives as long as this object and must not outlive its session.
    struct Window {
        std::int64_t id = 0;  ///< sway's container id, for `[con_id=N]` criteria
        pid_t pid = 0;
        std::unique_ptr<ChildProcess> process;
    };

    /// A view in the tree with the workspace and output it sits in.
    struct View {
        nlohmann::json container;
        std::string workspace;
        std::string output;
    };

    /// Whether sway and the programs the session starts (foot, wtype) are on the PATH; tests skip
    /// when they are not.
    static bool available() { return installed("sway") && installed("foot") && installed("wtype"); }
    /// Whether `program` is on the PATH.
    static bool installed(const std::string& program);

    explicit SwaySession(Options options);
    SwaySession() : SwaySession(Options{}) {}
    ~SwaySession();
    SwaySession(const SwaySession&) = delete;
    SwaySession& operator=(const SwaySession&) = delete;

    /// Runs swaymsg with `arguments` (e.g. {"-t", "get_tree"}) and returns what it printed, also
    /// when sway refused a command (its reply then says `"success": false`).
    std::string swaymsg(const std::vector<std::string>& arguments);
    /// Makes workspace `name` current, so the next window opens on it; throws when sway refuses.
    void focusWorkspace(const std::string& name);
    /// Opens a foot window titled `title` on the current workspace and waits until sway shows it.
    /// It runs `program`; cat by default, which reads no start-up files and never sets the title.
    Window openWindow(const std::string& title, const std::vector<std::string>& program = {"cat"});

    /// The folder of the configuration and its files.
    const std::filesystem::path& configFolder() const { return folder_.path(); }

    nlohmann::json tree();
    /// The view whose name (title) is `title`; none when sway shows no such window.
    std::optional<View> findView(const std::string& title);
    /// The view with the keyboard focus; none when the focus is on an empty workspace.
    std::optional<View> focusedView();

    /// `argv` as a client of this session that finds Wayland (no DISPLAY, QT_QPA_PLATFORM or
    /// ZERLITH_DESKTOP) with `runtime` for its XDG_RUNTIME_DIR. sway's runtime folder belongs to
    /// sway's user when the tests run as root, and a program that keeps its sockets only in a
    /// folder of its own user, as zerlith does, needs a folder of its own: it gets sway's display
    /// by its full path.
    std::vector<std::string> clientCommand(const std::filesystem::path& runtime,
                                           const std::vector<std::string>& argv) const;

private:
    zerlith::testing::TempFolder folder_;
    zerlith::testing::ScopedEnvironment environment_;
    std::filesystem::path sockets_;  ///< sway's runtime folder
    std::string display_;
    std::unique_ptr<ChildProcess> server_;
    std::unique_ptr<ChildProcess> keyboard_;
};

}  // namespace zerlith::wlroots::testing
