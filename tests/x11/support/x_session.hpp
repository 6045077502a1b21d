#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <xcb/xcb.h>

#include "support/child_process.hpp"
#include "support/temp_folder.hpp"
#include "support/scoped_environment.hpp"
#include "x11/support/x_probe.hpp"

namespace zerlith::x11::testing {

using zerlith::testing::ChildProcess;
using zerlith::testing::ScopedEnvironment;

/// A private X session for one test: Xvfb on a free display (3840 × 1080), by default split into
/// two RandR monitors LEFT and RIGHT of 1920 × 1080 and managed by openbox with two desktops.
/// Sets DISPLAY for the test process while it lives, and HOME and the XDG folders to a private
/// empty home, so neither the test nor a child it starts reads the machine's desktop entries,
/// preferences or history. Throws when a part cannot be started.
class XSession {
public:
    struct Options {
        bool windowManager = true;
        bool twoMonitors = true;
    };

    explicit XSession(Options options);
    XSession() : XSession(Options{}) {}
    ~XSession();

    const std::string& display() const { return display_; }
    XProbe& probe() { return *probe_; }
    /// The X server, to stop, continue or kill it.
    ChildProcess& server() { return *server_; }

    /// Whether a window manager runs.
    bool managed() const { return windowManager_ != nullptr; }
    /// Waits until the window manager lists every one of `windows` as a managed client.
    bool waitUntilManaged(const std::vector<xcb_window_t>& windows, double seconds = 10.0);

private:
    void run(const std::vector<std::string>& argv);

    zerlith::testing::TempFolder home_;
    ScopedEnvironment environment_;
    std::unique_ptr<ChildProcess> server_;
    std::string display_;
    std::unique_ptr<XProbe> probe_;
    std::unique_ptr<ChildProcess> windowManager_;
};

/// The test-window program with a set of windows; they live as long as this object.
class TestWindows {
public:
    /// Starts the program with these arguments (see test_window.cpp) and waits for its windows.
    explicit TestWindows(const std::vector<std::string>& arguments);

    xcb_window_t operator[](std::size_t index) const { return ids_.at(index); }
    const std::vector<xcb_window_t>& ids() const { return ids_; }
    pid_t pid() const { return process_.pid(); }
    /// Has the program destroy its `index`-th window.
    void destroy(std::size_t index);
    /// With --log-keys: the next key one of its windows got, as "key WINDOW KEYCODE", leaving out
    /// modifiers and lock keys (a hot key's Alt reaches the focused window before the hot key is
    /// complete); none after `seconds`.
    std::optional<std::string> nextKey(double seconds);

private:
    ChildProcess process_;
    std::vector<xcb_window_t> ids_;
};

}  // namespace zerlith::x11::testing
