#pragma once

#include <string_view>

/// What other processes ask of the running switcher: a line each over the Unix socket named
/// `socketName` in the private runtime folder, answered "ok".
namespace zerlith::instance_request {

inline constexpr std::string_view socketName = "instance";

inline constexpr std::string_view palette = "palette";
inline constexpr std::string_view instant = "instant";
inline constexpr std::string_view settings = "settings";
inline constexpr std::string_view reopen = "reopen";
/// From a browser's host, followed by the browser: "tabs-changed chrome".
inline constexpr std::string_view tabsChanged = "tabs-changed ";

/// The switcher's answer to a request it took, a line too.
inline constexpr std::string_view accepted = "ok";

}  // namespace zerlith::instance_request
