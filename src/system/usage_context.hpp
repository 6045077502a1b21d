#pragma once

#include <optional>
#include <string>

/// Where the user is, as the usage history remembers it: the context a use is recorded from.
namespace zerlith::UsageContext {

/// The context key of this moment, read through the installed platform: the frontmost
/// application's bundle identifier ("?" without one), then "|" and its focused window's title
/// when it has a non-empty one. None without a frontmost application. Blocks for at most the
/// 0.15 s accessibility timeout per query. Any thread.
std::optional<std::string> currentKey();

}  // namespace zerlith::UsageContext
