#include "x11/support/desktop_fixture.hpp"


namespace zerlith::x11::testing {

X11Desktop& X11DesktopTest::desktop() {
    if (!desktop_) {
        std::string error;
        desktop_ = connectX11Desktop(clock_, dispatch_, &error, session_.display().c_str());
        if (!desktop_) throw std::runtime_error("cannot connect the X11 desktop: " + error);
    }
    return *desktop_;
}

std::unique_ptr<TestWindows> X11DesktopTest::map(const std::vector<std::string>& arguments) {
    auto windows = std::make_unique<TestWindows>(arguments);
    if (session_.managed() && !session_.waitUntilManaged(windows->ids())) {
        throw std::runtime_error("the window manager did not manage the test windows");
    }
    return windows;
}

std::optional<desktop::Window> X11DesktopTest::listed(xcb_window_t window) {
    for (auto& candidate : windowList()) {
        if (candidate.id == window) return candidate;
    }
    return std::nullopt;
}

}  // namespace zerlith::x11::testing
