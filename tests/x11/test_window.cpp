// zerlith-test-window: maps X11 windows with given properties for the X11 backend's tests and
// benchmark, then keeps them until told otherwise.
//
//   zerlith-test-window --title "Notes" --class notes,Notes --pid 4242 --frame 100,80,640,480
//                       --desktop 1 --state hidden --title "Other" ...
//
// Each --title starts a new window; the options after it describe that window:
//   --class INSTANCE,CLASS   WM_CLASS
//   --pid N                  _NET_WM_PID (without it the window has none)
//   --frame X,Y,W,H          requested position (of the frame's top-left corner) and client size
//   --desktop N|all          _NET_WM_DESKTOP
//   --state LIST             comma-separated: hidden (starts iconic), fullscreen, sticky
//   --type NAME              _NET_WM_WINDOW_TYPE: normal, dialog, dock, utility, desktop, notification
//   --opacity F              _NET_WM_WINDOW_OPACITY, 0 to 1
//   --strut L,R,T,B          _NET_WM_STRUT: room the window reserves at the screen's edges
//   --legacy-title           only WM_NAME (ISO 8859-1), no _NET_WM_NAME
//   --legacy-title-type NAME only WM_NAME, of type NAME (COMPOUND_TEXT: bytes as Xt programs write)
//   --title-hex HEX          starts a window like --title, its title given as bytes in hex (NUL
//                            and invalid UTF-8 included)
//   --repeat-title N         the title repeated N times (titles longer than an argument may be)
//   --retitle HZ             keeps renaming the window "TITLE 1", "TITLE 2", … HZ times a second
// Before the first --title:
//   --log-keys               prints "key I CODE" for each key pressed in the I-th window
// It prints each window's id in decimal, one per line, then "ready". Afterwards it reads commands
// from standard input: "destroy I" destroys the I-th window (from 0); end of input ends it.

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>
#include <xcb/xcb_icccm.h>

namespace {

struct WindowSpec {
    std::string title;
    bool legacyTitle = false;
    std::string legacyTitleType = "STRING";
    xcb_atom_t legacyTitleAtom = XCB_ATOM_STRING;  // the atom of legacyTitleType, once interned
    std::string instance = "zerlith-test-window";
    std::string className = "ZerlithTestWindow";
    std::optional<std::uint32_t> pid;
    int x = 0, y = 0, width = 400, height = 300;
    std::optional<std::uint32_t> desktop;
    bool hidden = false, fullScreen = false, sticky = false;
    std::string type;
    std::optional<double> opacity;
    std::vector<std::uint32_t> strut;
    unsigned retitleHz = 0;
};

[[noreturn]] void usage(const std::string& problem) {
    std::cerr << "zerlith-test-window: " << problem << "\n";
    std::exit(2);
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream stream(text);
    for (std::string part; std::getline(stream, part, separator);) parts.push_back(part);
    return parts;
}

std::string fromHex(const std::string& hex) {
    if (hex.size() % 2 != 0) usage("--title-hex wants pairs of hex digits");
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

std::vector<WindowSpec> parse(int argc, char** argv, bool& logKeys) {
    std::vector<WindowSpec> specs;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--log-keys" && specs.empty()) {
            logKeys = true;
            continue;
        }
        if (option == "--legacy-title") {
            if (specs.empty()) usage("--legacy-title before --title");
            specs.back().legacyTitle = true;
            continue;
        }
        if (i + 1 >= argc) usage(option + " needs a value");
        std::string value = argv[++i];
        if (option == "--title" || option == "--title-hex") {
            specs.emplace_back();
            specs.back().title = option == "--title" ? value : fromHex(value);
            continue;
        }
        if (specs.empty()) usage(option + " before --title");
        WindowSpec& spec = specs.back();
        if (option == "--class") {
            auto parts = split(value, ',');
            if (parts.size() != 2) usage("--class wants INSTANCE,CLASS");
            spec.instance = parts[0];
            spec.className = parts[1];
        } else if (option == "--pid") {
            spec.pid = static_cast<std::uint32_t>(std::stoul(value));
        } else if (option == "--frame") {
            auto parts = split(value, ',');
            if (parts.size() != 4) usage("--frame wants X,Y,W,H");
            spec.x = std::stoi(parts[0]);
            spec.y = std::stoi(parts[1]);
            spec.width = std::stoi(parts[2]);
            spec.height = std::stoi(parts[3]);
        } else if (option == "--desktop") {
            spec.desktop = value == "all" ? 0xFFFFFFFFu : static_cast<std::uint32_t>(std::stoul(value));
        } else if (option == "--state") {
            for (const std::string& state : split(value, ',')) {
                spec.hidden |= state == "hidden";
                spec.fullScreen |= state == "fullscreen";
                spec.sticky |= state == "sticky";
            }
        } else if (option == "--legacy-title-type") {
            spec.legacyTitle = true;
            spec.legacyTitleType = value;
        } else if (option == "--type") {
            spec.type = value;
        } else if (option == "--opacity") {
            spec.opacity = std::stod(value);
        } else if (option == "--repeat-title") {
            const std::string once = spec.title;
            for (unsigned long n = std::stoul(value); n > 1; --n) spec.title += once;
        } else if (option == "--retitle") {
            spec.retitleHz = static_cast<unsigned>(std::stoul(value));
        } else if (option == "--strut") {
            for (const std::string& part : split(value, ',')) spec.strut.push_back(static_cast<std::uint32_t>(std::stoul(part)));
            if (spec.strut.size() != 4) usage("--strut wants L,R,T,B");
        } else {
            usage("unknown option " + option);
        }
    }
    return specs;
}

xcb_atom_t internAtom(xcb_connection_t* connection, const std::string& name) {
    auto* reply = xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, name.size(), name.data()), nullptr);
    if (reply == nullptr) usage("cannot intern the atom " + name);
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

xcb_atom_t windowType(const xcb_ewmh_connection_t& ewmh, const std::string& name) {
    if (name == "dialog") return ewmh._NET_WM_WINDOW_TYPE_DIALOG;
    if (name == "dock") return ewmh._NET_WM_WINDOW_TYPE_DOCK;
    if (name == "utility") return ewmh._NET_WM_WINDOW_TYPE_UTILITY;
    if (name == "desktop") return ewmh._NET_WM_WINDOW_TYPE_DESKTOP;
    if (name == "notification") return ewmh._NET_WM_WINDOW_TYPE_NOTIFICATION;
    if (name == "normal") return ewmh._NET_WM_WINDOW_TYPE_NORMAL;
    usage("unknown window type " + name);
}

void setTitle(xcb_connection_t* connection, xcb_ewmh_connection_t& ewmh, xcb_window_t window, const WindowSpec& spec,
              const std::string& title) {
    if (!spec.legacyTitle) xcb_ewmh_set_wm_name(&ewmh, window, title.size(), title.data());
    xcb_icccm_set_wm_name(connection, window, spec.legacyTitleAtom, 8, title.size(), title.data());
}

xcb_window_t create(xcb_connection_t* connection, xcb_ewmh_connection_t& ewmh, xcb_screen_t* screen,
                    xcb_atom_t opacityAtom, const WindowSpec& spec, bool logKeys) {
    xcb_window_t window = xcb_generate_id(connection);
    std::uint32_t values[] = {screen->white_pixel,
                              XCB_EVENT_MASK_STRUCTURE_NOTIFY | (logKeys ? std::uint32_t{XCB_EVENT_MASK_KEY_PRESS} : 0u)};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, static_cast<std::int16_t>(spec.x),
                      static_cast<std::int16_t>(spec.y), static_cast<std::uint16_t>(spec.width),
                      static_cast<std::uint16_t>(spec.height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);

    // The window manager takes the position as the user's wish, so it does not place the window itself.
    xcb_size_hints_t hints{};
    xcb_icccm_size_hints_set_position(&hints, 1, spec.x, spec.y);
    xcb_icccm_size_hints_set_size(&hints, 1, spec.width, spec.height);
    xcb_icccm_set_wm_normal_hints(connection, window, &hints);

    setTitle(connection, ewmh, window, spec, spec.title);
    std::string windowClass = spec.instance + '\0' + spec.className + '\0';
    xcb_icccm_set_wm_class(connection, window, windowClass.size(), windowClass.data());
    if (spec.pid) xcb_ewmh_set_wm_pid(&ewmh, window, *spec.pid);
    if (spec.desktop) xcb_ewmh_set_wm_desktop(&ewmh, window, *spec.desktop);
    std::vector<xcb_atom_t> states;
    if (spec.fullScreen) states.push_back(ewmh._NET_WM_STATE_FULLSCREEN);
    if (spec.sticky) states.push_back(ewmh._NET_WM_STATE_STICKY);
    if (!states.empty()) xcb_ewmh_set_wm_state(&ewmh, window, states.size(), states.data());
    if (!spec.type.empty()) {
        xcb_atom_t type = windowType(ewmh, spec.type);
        xcb_ewmh_set_wm_window_type(&ewmh, window, 1, &type);
    }
    if (spec.opacity) {
        auto opacity = static_cast<std::uint32_t>(*spec.opacity * 0xFFFFFFFFu);
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, opacityAtom, XCB_ATOM_CARDINAL, 32, 1, &opacity);
    }
    if (!spec.strut.empty()) {
        xcb_ewmh_set_wm_strut(&ewmh, window, spec.strut[0], spec.strut[1], spec.strut[2], spec.strut[3]);
    }
    if (spec.hidden) {
        xcb_icccm_wm_hints_t wmHints{};
        xcb_icccm_wm_hints_set_iconic(&wmHints);
        xcb_icccm_set_wm_hints(connection, window, &wmHints);
    }
    xcb_map_window(connection, window);
    return window;
}

/// Renames the windows given --retitle whose next renaming is due.
class Retitler {
public:
    Retitler(xcb_connection_t* connection, xcb_ewmh_connection_t& ewmh, const std::vector<WindowSpec>& specs,
             const std::vector<xcb_window_t>& windows)
        : connection_(connection), ewmh_(ewmh), specs_(specs), windows_(windows), due_(specs.size(), Clock::now()) {}

    /// Milliseconds until the next renaming; -1 when no window is renamed.
    int run() {
        int wait = -1;
        for (std::size_t i = 0; i < specs_.size(); ++i) {
            if (specs_[i].retitleHz == 0) continue;
            const auto period = std::chrono::microseconds(1'000'000 / specs_[i].retitleHz);
            if (Clock::now() >= due_[i]) {
                setTitle(connection_, ewmh_, windows_[i], specs_[i], specs_[i].title + " " + std::to_string(++renamings_));
                xcb_flush(connection_);
                due_[i] += period;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due_[i] - Clock::now()).count();
            wait = std::max<int>(0, wait < 0 ? static_cast<int>(left) : std::min(wait, static_cast<int>(left)));
        }
        return wait;
    }

private:
    using Clock = std::chrono::steady_clock;
    xcb_connection_t* connection_;
    xcb_ewmh_connection_t& ewmh_;
    const std::vector<WindowSpec>& specs_;
    const std::vector<xcb_window_t>& windows_;
    std::vector<Clock::time_point> due_;
    unsigned long renamings_ = 0;
};

/// Serves the commands of standard input while keeping the connection's events drained.
void serve(xcb_connection_t* connection, const std::vector<xcb_window_t>& windows, Retitler& retitler) {
    std::string pending;
    for (;;) {
        pollfd fds[] = {{STDIN_FILENO, POLLIN, 0}, {xcb_get_file_descriptor(connection), POLLIN, 0}};
        if (::poll(fds, 2, retitler.run()) < 0) return;
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            if ((event->response_type & 0x7F) == XCB_KEY_PRESS) {
                const auto* press = reinterpret_cast<const xcb_key_press_event_t*>(event);
                const auto found = std::find(windows.begin(), windows.end(), press->event);
                if (found != windows.end())
                    std::cout << "key " << (found - windows.begin()) << ' ' << unsigned{press->detail} << std::endl;
            }
            std::free(event);
        }
        if (xcb_connection_has_error(connection)) return;
        if ((fds[0].revents & (POLLIN | POLLHUP)) == 0) continue;
        char buffer[256];
        ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0) return;
        pending.append(buffer, static_cast<std::size_t>(count));
        for (auto end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
            std::istringstream command(pending.substr(0, end));
            pending.erase(0, end + 1);
            std::string verb;
            std::size_t index = 0;
            if (command >> verb >> index && verb == "destroy" && index < windows.size()) {
                xcb_destroy_window(connection, windows[index]);
                xcb_flush(connection);
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    bool logKeys = false;
    std::vector<WindowSpec> specs = parse(argc, argv, logKeys);
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) usage("cannot open the display");
    xcb_ewmh_connection_t ewmh{};
    if (!xcb_ewmh_init_atoms_replies(&ewmh, xcb_ewmh_init_atoms(connection, &ewmh), nullptr)) usage("no EWMH atoms");
    const xcb_atom_t opacityAtom = internAtom(connection, "_NET_WM_WINDOW_OPACITY");
    for (WindowSpec& spec : specs) spec.legacyTitleAtom = internAtom(connection, spec.legacyTitleType);
    xcb_screen_t* screen = ewmh.screens[screenNumber];

    std::vector<xcb_window_t> windows;
    for (const WindowSpec& spec : specs) windows.push_back(create(connection, ewmh, screen, opacityAtom, spec, logKeys));
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));  // all created
    for (xcb_window_t window : windows) std::cout << window << "\n";
    std::cout << "ready" << std::endl;

    Retitler retitler(connection, ewmh, specs, windows);
    serve(connection, windows, retitler);
    xcb_ewmh_connection_wipe(&ewmh);
    xcb_disconnect(connection);
    return 0;
}
