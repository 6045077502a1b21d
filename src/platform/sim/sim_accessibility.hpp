#pragma once

#include "platform/clock.hpp"
#include "platform/macos/accessibility.hpp"
#include "platform/sim/desktop_state.hpp"

namespace zerlith::sim {

/// The accessibility tree of a simulated desktop: applications, their windows, menu bars, menus
/// and menu items, answering from the current state on every call. Elements stay valid while
/// the desktop changes: an element whose window or menu item is gone fails its calls.
///
/// Messaging timeouts: 6.0 s until set, as on a real system; an element read from another one
/// starts with that one's timeout. An app with `axHang` answers every call with cannotComplete
/// after its timeout has passed on the clock. Without the accessibility permission every call
/// on another process's element fails.
///
/// Every change is logged as "setAttribute window <number> <attribute> <value>",
/// "performAction window <number> AXRaise" or "press menuItem <pid> <title>" (followed by
/// " (app not frontmost: no effect)" when the app ignores the press). Any thread.
class SimAccessibility final : public platform::Accessibility {
public:
    static constexpr double kDefaultMessagingTimeout = 6.0;

    SimAccessibility(GuardedState& state, platform::Clock& clock) : state_(state), clock_(clock) {}

    bool isProcessTrusted() override;
    /// Logs "promptForTrust"; the answer stays what the desktop says.
    void promptForTrust() override;

    platform::AXElementRef application(Pid pid) override;
    void setMessagingTimeout(const platform::AXElementRef& element, double seconds) override;

    platform::AXReading copyAttribute(const platform::AXElementRef& element,
                                      std::string_view attribute) override;
    platform::AXError setAttribute(const platform::AXElementRef& element, std::string_view attribute,
                                   const platform::AXValue& value) override;
    platform::AXError performAction(const platform::AXElementRef& element, std::string_view action) override;

private:
    GuardedState& state_;
    platform::Clock& clock_;
};

}  // namespace zerlith::sim
