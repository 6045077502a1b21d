#include "platform/platform.hpp"

#include <cstdio>
#include <cstdlib>

namespace zerlith::platform {
namespace {
Platform* installed = nullptr;
}

Platform& current() {
    if (installed == nullptr) {
        // A programming error, not a runtime condition: every entry point installs one.
        std::fputs("zerlith: no platform installed\n", stderr);
        std::abort();
    }
    return *installed;
}

ScopedPlatform::ScopedPlatform(Platform& platform) : previous_(installed) { installed = &platform; }

ScopedPlatform::~ScopedPlatform() { installed = previous_; }

}  // namespace zerlith::platform
