#include "cli/usage.hpp"

#include <algorithm>
#include <string>

namespace zerlith::CLI {
namespace {

constexpr std::string_view kUsage = R"(Usage: zerlith [MODE]
Switch between windows and browser tabs from the keyboard.

Without a mode, zerlith runs the switcher (or hands the request to the one already running):
Alt+Space opens the palette, Alt+Tab jumps to the most likely other window.

Requests to the running switcher:
  --palette                opens or closes the palette
  --instant                jumps to the most likely other window
  --settings               shows the settings window

Modes that run once and exit:
  --dump                   every target, ranked and scored, as JSON on standard output
  --dump-file=PATH         the same JSON, written atomically to PATH
  --bench                  times one cold and three warm window enumerations
  --raise=QUERY            raises the first window or tab whose title contains QUERY
                           (QUERY:window or QUERY:tab picks a kind) and writes a JSON trace
    --move=left|right|NAME   moves it to the screen beside it, or to the named screen
    --dump-file=PATH         writes the trace to PATH instead of standard output
  --install-browser-hosts  lets the browsers that have run start zerlith for the extension
  -h, --help               prints this help
  --version                prints the version

Environment:
  ZERLITH_DESKTOP          a simulated desktop file to work on instead of the real desktop
  ZERLITH_PROVIDER         a provider to use instead of the detected one (wlroots, x11)
  WAYLAND_DISPLAY          the Wayland compositor
  DISPLAY                  the X11 display
  XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_RUNTIME_DIR
                           where the files below live

Files:
  $XDG_CONFIG_HOME/Zerlith/preferences.json   hot keys and other settings
  $XDG_DATA_HOME/Zerlith/usage.json           what was picked, and from where
  $XDG_RUNTIME_DIR/zerlith/                   the running switcher's socket and lock

Exit status: 0 on success, 1 when a file cannot be written or no switcher runs to take a
request, 2 when the command line or the desktop cannot be used.
)";

}  // namespace

void printUsage(std::ostream& out) { out << kUsage; }

void printVersion(std::ostream& out) { out << "zerlith " << ZERLITH_VERSION << '\n'; }

void printMisuse(std::ostream& err, std::string_view argument) {
    // The argument is echoed to a terminal: its control characters must not steer it.
    std::string shown(argument);
    std::replace_if(shown.begin(), shown.end(), [](unsigned char c) { return c < 0x20 || c == 0x7f; }, '?');
    err << "zerlith: unrecognized argument '" << shown << "'\n"
        << "Try 'zerlith --help' for more information.\n";
}

}  // namespace zerlith::CLI
