#pragma once

#include "platform/macos/accessibility.hpp"
#include "platform/macos/scripting.hpp"
#include "platform/macos/window_server.hpp"

namespace zerlith::platform {

/// The macOS-shaped interfaces: accessibility elements, the window server's list and the
/// browsers' scripting. Only the macOS model's desktop serves them (the simulated desktop, and a
/// real macOS one day); its provider and the permissions it asks for read them, nothing else.
class MacInterfaces {
public:
    virtual ~MacInterfaces() = default;

    virtual Accessibility& accessibility() = 0;
    virtual WindowServer& windowServer() = 0;
    virtual Scripting& scripting() = 0;
};

/// The installed platform's macOS interfaces. Only code that runs on the macOS model calls it:
/// on any other desktop it ends the process.
MacInterfaces& currentMacOS();

}  // namespace zerlith::platform
