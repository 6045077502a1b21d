#pragma once

#include <optional>
#include <string>
#include <string_view>

/// How later invocations reach the running instance, without Qt: a line over a Unix socket in the
/// owner-only runtime folder, answered "ok".
namespace zerlith::app {

/// What an invocation asks of the running instance.
namespace instance_request {
inline constexpr std::string_view palette = "palette";
inline constexpr std::string_view instant = "instant";
inline constexpr std::string_view settings = "settings";
inline constexpr std::string_view reopen = "reopen";
/// From a browser's host, followed by the browser: "tabs-changed chrome".
inline constexpr std::string_view tabsChanged = "tabs-changed ";
}  // namespace instance_request

/// `<runtime folder>/instance`. None, with the reason in `error`, when the runtime folder is not
/// private (see runtimeFolder()).
std::optional<std::string> instanceSocketPath(std::string* error);

/// Hands `request` to the instance listening at `path`; true when it took it. An instance that
/// runs as another user is never told anything.
bool sendToInstance(const std::string& path, std::string_view request);

}  // namespace zerlith::app
