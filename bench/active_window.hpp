#pragma once

#include <chrono>
#include <optional>
#include <string>

#include <xcb/xcb.h>

#include "x11/support/x_probe.hpp"

namespace zerlith::bench {

using Clock = std::chrono::steady_clock;

/// The window's _NET_WM_NAME; empty when it has none.
std::string nameOf(x11::testing::XProbe& probe, xcb_window_t window);

/// Polls the active window's title until it is `title`: the milliseconds from `since` to then, or
/// none after `limit`.
std::optional<double> waitForActive(x11::testing::XProbe& probe, const std::string& title, Clock::time_point since,
                                    Clock::duration limit = std::chrono::seconds(5));

/// Polls the window with the keyboard focus until its title is `title`: the milliseconds from
/// `since` to then, or none after `limit`. The focus, not the active window the window manager
/// announces a while later, is where the next key goes.
std::optional<double> waitForFocus(x11::testing::XProbe& probe, const std::string& title, Clock::time_point since,
                                   Clock::duration limit = std::chrono::seconds(5));

}  // namespace zerlith::bench
