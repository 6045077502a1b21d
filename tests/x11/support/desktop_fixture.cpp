#include "x11/support/desktop_fixture.hpp"

#include "system/ax.hpp"

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

std::optional<platform::WindowRecord> X11DesktopTest::record(xcb_window_t window) {
    for (auto& candidate : windowList()) {
        if (memberValue<std::int64_t>(candidate.number) == std::int64_t{window}) return candidate;
    }
    return std::nullopt;
}

platform::AXElementRef X11DesktopTest::element(Pid pid, xcb_window_t window) {
    platform::ScopedPlatform installed(desktop());
    for (auto& candidate : AX::elements(AX::application(pid, 1.0), platform::ax::kWindows).value_or(std::vector<platform::AXElementRef>{})) {
        // Window elements carry no id to compare; the title of each test window is unique.
        auto title = AX::string(candidate, platform::ax::kTitle);
        auto wanted = record(window);
        if (wanted && title == memberValue<std::string>(wanted->name)) return candidate;
    }
    return nullptr;
}

std::optional<Rect> bounds(const platform::WindowRecord& record) {
    auto members = memberValue<platform::WindowBounds>(record.bounds);
    if (!members) return std::nullopt;
    return Rect{members->x.value(), members->y.value(), members->width.value(), members->height.value()};
}

}  // namespace zerlith::x11::testing
