// What sway's IPC hands over: a tree or an output list as any JSON, and a configuration text,
// read for views, outputs and the bindings that hold a key.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "providers/wlroots/desktop_reading.hpp"
#include "providers/wlroots/sway_bindings.hpp"
#include "providers/wlroots/sway_tree.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zerlith::wlroots;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const KeyChord altSpace{swayModifiers(0x800), 65, "space"};
    // No main file and an empty environment: only absolute include paths name files, read bounded.
    const SwayConfigPlace nowhere{{}, [](const std::string&) { return std::optional<std::string>(); }};
    (void)configBinds(text, nowhere, altSpace);
    const auto json = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
    if (json.is_discarded()) return 0;
    const auto views = viewsOf(json);
    (void)outputsOf(json);
    std::vector<Toplevel> toplevels;
    for (const SwayView& view : views) toplevels.push_back({.title = view.title, .appId = view.appId});
    const auto matched = matchViews(toplevels, views);
    for (std::size_t i = 0; i < matched.size(); ++i) {
        if (!matched[i] || matched[i]->title != views[i].title) std::abort();  // each finds one like it
    }
    return 0;
}
