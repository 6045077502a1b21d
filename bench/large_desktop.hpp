#pragma once

#include <nlohmann/json.hpp>

namespace zerlith::bench {

/// A simulated desktop file of `windowCount` windows in `applications` applications, stacked as
/// real ones interleave: one in five on another Space, one in seven with an unsaved-changes marker,
/// a few repeated titles; two screens; with `withBrowsers`, 300 Chrome and 200 Safari tabs.
nlohmann::json largeDesktop(int windowCount, int applications, bool withBrowsers);

}  // namespace zerlith::bench
