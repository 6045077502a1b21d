#pragma once

#include <optional>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/browser_bridge.hpp"

/// The tab report of a browser's extension, also the form in which a host hands it on:
///   [{"id": window id, "tabs": [{"index": from 0, "active": bool, "title": "…", "url": "…"}]}]
namespace zerlith::browser {

/// The tabs of a report, windows and tabs in their order. A window or tab that is not of the
/// form above is skipped; none when `windows` is not an array at all.
std::optional<std::vector<platform::BrowserTab>> parseTabReport(const nlohmann::json& windows);

/// The report form of `tabs` (each window once, in the order of its first tab).
nlohmann::json tabReport(const std::vector<platform::BrowserTab>& tabs);

}  // namespace zerlith::browser
