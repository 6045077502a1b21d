// What a browser's extension sends its host: a byte stream of frames holding JSON tab reports,
// the way the host reads it (in pieces, bounded) and the way the tabs become targets.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include <nlohmann/json.hpp>

#include "browser/native_message.hpp"
#include "browser/tab_report.hpp"
#include "model/target.hpp"
#include "sources/browser_source.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zerlith;
    if (size == 0) return 0;
    // The first byte cuts the stream into pieces of that size, as reads may.
    const std::size_t piece = data[0] + 1u;
    const std::string_view stream(reinterpret_cast<const char*>(data + 1), size - 1);
    browser::FrameReader reader(4096);
    for (std::size_t at = 0; at < stream.size(); at += piece) {
        reader.feed(stream.substr(at, piece));
        while (const auto message = reader.next()) {
            const auto parsed = nlohmann::json::parse(*message, nullptr, false);
            if (parsed.is_discarded() || !parsed.is_object() || !parsed.contains("windows")) continue;
            const auto tabs = browser::parseTabReport(parsed["windows"]);
            if (!tabs) continue;
            const std::vector<platform::ConnectedBrowser> reports{{"chrome", 0, *tabs, ""}};
            for (const auto& target : BrowserSource::detail::fromReports(reports, BrowserKind::chrome)) {
                (void)toJson(target).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
            }
        }
    }
    return 0;
}
