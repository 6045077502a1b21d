#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "system/instance_requests.hpp"

/// How later invocations reach the running instance, without Qt (the requests:
/// system/instance_requests.hpp).
namespace zerlith::app {

/// `<runtime folder>/instance`. None, with the reason in `error`, when the runtime folder is not
/// private (see runtimeFolder()).
std::optional<std::string> instanceSocketPath(std::string* error);

/// Hands `request` to the instance listening at `path`; true when it took it. An instance that
/// runs as another user is never told anything.
bool sendToInstance(const std::string& path, std::string_view request);

}  // namespace zerlith::app
