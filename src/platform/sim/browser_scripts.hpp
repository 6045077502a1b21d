#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/desktop_model.hpp"

namespace zerlith::sim {

/// A script that the simulated browsers understand. Each is recognised by its whole text, so a
/// script that differs by one character is not understood.
struct BrowserScript {
    enum class Request { listTabs, selectTab, frontTabURL, frontTabTitle };

    Browser browser = Browser::chrome;
    Request request = Request::listTabs;
    std::int64_t windowID = 0;  ///< selectTab: the window's scripting id
    std::int64_t tabIndex = 0;  ///< selectTab: the tab's position, from 1
};

/// The browser a script is addressed to ("tell application ..." at its start), or none.
std::optional<Browser> addressee(std::string_view source);

/// What a script asks, or none when it is not one of the understood scripts.
std::optional<BrowserScript> understand(std::string_view source);

/// The answer to a tab listing, as the interpreter prints it: per tab the window's scripting id,
/// its visibility, its active tab, the tab's position, title and URL, joined by U+001F and
/// ended by U+001E, and a final line feed.
std::string tabListing(const std::vector<Window*>& windows);

}  // namespace zerlith::sim
