#pragma once

#include <memory>
#include <string>

#include "providers/xdg/xdg_desktop.hpp"

namespace zerlith::x11 {

/// The desktop of an X11 session with an EWMH window manager, over one xcb connection. Its
/// parts may be called from any thread. A server that goes away or stops answering leaves an
/// empty desktop behind (no windows, no screens) instead of failing or hanging.
class X11Desktop final : public xdg::XdgDesktop {
public:
    struct Parts;
    X11Desktop(std::unique_ptr<Parts> parts, platform::Clock& clock, platform::Dispatch& dispatch);
    ~X11Desktop() override;

    desktop::ProviderInfo provider() const override;
    desktop::Windows& windows() override;
    platform::Workspace& workspace() override;
    platform::Display& display() override;
    platform::DesktopEvents* desktopEvents() override;
    platform::HotKeys* hotKeys() override;

private:
    std::unique_ptr<Parts> parts_;
};

/// Connects to the display named `displayName` (":0"). Null, with a one-line reason in `error`,
/// when it cannot be opened or does not answer within a few seconds.
std::unique_ptr<X11Desktop> connectX11Desktop(platform::Clock& clock, platform::Dispatch& dispatch,
                                              std::string* error, const std::string& displayName);

}  // namespace zerlith::x11
