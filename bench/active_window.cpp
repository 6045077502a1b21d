#include "active_window.hpp"

#include <cstdlib>
#include <thread>

namespace zerlith::bench {

std::string nameOf(x11::testing::XProbe& probe, xcb_window_t window) {
    auto cookie = xcb_get_property(probe.raw(), 0, window, probe.ewmh()._NET_WM_NAME, probe.ewmh().UTF8_STRING, 0, 64);
    auto* reply = xcb_get_property_reply(probe.raw(), cookie, nullptr);
    if (!reply) return {};
    std::string name(static_cast<const char*>(xcb_get_property_value(reply)), xcb_get_property_value_length(reply));
    std::free(reply);
    return name;
}

std::optional<double> waitForActive(x11::testing::XProbe& probe, const std::string& title, Clock::time_point since,
                                    Clock::duration limit) {
    while (Clock::now() - since < limit) {
        if (auto active = probe.activeWindow(); active && nameOf(probe, *active) == title)
            return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return std::nullopt;
}

std::optional<double> waitForFocus(x11::testing::XProbe& probe, const std::string& title, Clock::time_point since,
                                   Clock::duration limit) {
    while (Clock::now() - since < limit) {
        if (const auto focus = probe.focusedWindow(); focus && nameOf(probe, *focus) == title)
            return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return std::nullopt;
}

}  // namespace zerlith::bench
