#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

/// One request to many hosts at once, their answers gathered by one deadline.
namespace zerlith::browser {

/// Sends `request` to the host at each of `paths` at the same time and reads each answer (a JSON
/// object); none for a host that does not answer by `timeout` from now, refuses, or runs as
/// another user. Never blocks past the deadline, whatever the hosts do: connections are made
/// without waiting. A socket whose host was killed (it refuses connections) is removed. Any
/// thread.
std::vector<std::optional<nlohmann::json>> askHosts(const std::vector<std::string>& paths, const nlohmann::json& request,
                                                    std::chrono::milliseconds timeout);

}  // namespace zerlith::browser
