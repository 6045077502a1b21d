// The simulated desktop file: any text gives a desktop or a one-line error naming the fault.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/sim/desktop_loader.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto result = zerlith::sim::parseDesktop(text, "fuzz.json");
    if (const auto* error = std::get_if<std::string>(&result)) {
        if (!error->starts_with("fuzz.json: ") || error->find('\n') != std::string::npos) std::abort();
    }
    return 0;
}
