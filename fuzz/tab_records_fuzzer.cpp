// A browser's answer to the tab listing script: records the page and the browser chose, cut by
// the record and field separators, then made targets. The first byte picks the browser.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/target.hpp"
#include "providers/macos_model/scripted_tabs.hpp"
#include "sources/browser_source.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zerlith;
    if (size == 0) return 0;
    const BrowserKind browser = data[0] % 2 == 0 ? BrowserKind::chrome : BrowserKind::safari;
    const std::string_view output(reinterpret_cast<const char*>(data + 1), size - 1);
    const platform::ConnectedBrowser read{std::string(rawValue(browser)), 1, macos_model::detail::parse(output), {}};
    for (const auto& target : BrowserSource::detail::fromReports({read}, browser)) {
        // What the dump does with each target.
        (void)toJson(target).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    }
    return 0;
}
