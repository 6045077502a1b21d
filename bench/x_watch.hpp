#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include <xcb/xcb.h>

namespace zerlith::bench {

/// A connection of its own that watches what other clients do on the screen: windows that map,
/// the keyboard grab, and drawing into a window (DAMAGE). Throws when it cannot connect or the
/// server lacks DAMAGE.
class XWatch {
public:
    using Clock = std::chrono::steady_clock;

    explicit XWatch(const std::string& display);
    ~XWatch();
    XWatch(const XWatch&) = delete;
    XWatch& operator=(const XWatch&) = delete;

    /// Starts or stops reporting windows that map at the top level.
    void watchMaps(bool on);
    /// The next override-redirect window (a launcher's own popup) that maps; none by `deadline`.
    std::optional<xcb_window_t> nextOverrideRedirectMap(Clock::time_point deadline);

    /// Whether another client holds the keyboard grab. Grabs it to find out and releases it in
    /// the same batch of requests, so the holder-to-be is not kept out.
    bool keyboardTaken();

    /// Reports drawing into `window` from now on (replacing the window watched before).
    void watchDamage(xcb_window_t window);
    /// Waits until the watched window was not drawn into for `quiet`, at most until `deadline`.
    bool settle(Clock::duration quiet, Clock::time_point deadline);
    /// When the watched window is next drawn into; none by `deadline`.
    std::optional<Clock::time_point> nextDamage(Clock::time_point deadline);

private:
    /// The next event, waiting until `deadline`; null then.
    xcb_generic_event_t* nextEvent(Clock::time_point deadline);

    xcb_connection_t* connection_;
    xcb_window_t root_ = XCB_NONE;
    std::uint8_t damageNotify_ = 0;
    std::uint32_t damage_ = XCB_NONE;
};

}  // namespace zerlith::bench
