#include "platform/macos/mac_interfaces.hpp"

#include <cstdio>
#include <cstdlib>

#include "platform/platform.hpp"

namespace zerlith::platform {

MacInterfaces& currentMacOS() {
    auto* macOS = current().macOS();
    if (macOS == nullptr) {
        // A programming error: only the macOS model's provider reaches these interfaces.
        std::fputs("zerlith: the macOS interfaces asked for on another desktop\n", stderr);
        std::abort();
    }
    return *macOS;
}

}  // namespace zerlith::platform
