// The usage history file: whatever loads is written back so that it loads again unchanged, or
// the next start would move the user's history aside.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ranking/usage_history.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zerlith;
    const auto loaded = UsageHistory::decode(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!loaded) return 0;
    const auto reloaded = UsageHistory::decode(UsageHistory::encode(*loaded));
    if (!reloaded || *reloaded != *loaded) std::abort();
    return 0;
}
