#pragma once

#include "platform/accessibility.hpp"
#include "platform/x11/desktop_cache.hpp"
#include "platform/x11/window_activation.hpp"

namespace zerlith::x11 {

/// Accessibility over EWMH. Elements stand for an application (a process owning client windows)
/// or one client window; there are no menus. An application's windows are those on the current
/// desktop, minimized ones included (they are restored through their element). Reads come from
/// the desktop cache, waiting for the server at most the element's messaging timeout; writes are
/// requests to the window manager. Any thread.
class X11Accessibility final : public platform::Accessibility {
public:
    X11Accessibility(XcbConnection& connection, DesktopCache& cache, WindowActivation& activation)
        : connection_(connection), cache_(cache), activation_(activation) {}

    /// X has no permission to grant: always true.
    bool isProcessTrusted() override { return true; }
    void promptForTrust() override {}

    platform::AXElementRef application(Pid pid) override;
    void setMessagingTimeout(const platform::AXElementRef& element, double seconds) override;

    platform::AXReading copyAttribute(const platform::AXElementRef& element, std::string_view attribute) override;
    platform::AXError setAttribute(const platform::AXElementRef& element, std::string_view attribute,
                                   const platform::AXValue& value) override;
    platform::AXError performAction(const platform::AXElementRef& element, std::string_view action) override;

private:
    platform::AXReading readApplication(Pid pid, std::string_view attribute, double timeout);
    platform::AXReading readWindow(xcb_window_t window, std::string_view attribute, double timeout);

    XcbConnection& connection_;
    DesktopCache& cache_;
    WindowActivation& activation_;
};

}  // namespace zerlith::x11
