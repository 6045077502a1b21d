#pragma once

#include <optional>
#include <unordered_map>
#include <string_view>

#include "platform/workspace.hpp"

/// Finds a running application, reading the workspace's list afresh on every call. Any thread.
namespace zerlith::RunningApps {

/// The first running application with this process id; none once it has quit.
std::optional<platform::RunningApplication> withPid(Pid pid);

/// The first running application with this bundle identifier, background ones included.
std::optional<platform::RunningApplication> withBundleID(std::string_view bundleID);
/// The applications with a user interface of their own (regular ones), by process id.
std::unordered_map<Pid, platform::RunningApplication> regularByPid();

}  // namespace zerlith::RunningApps
