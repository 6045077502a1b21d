#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zerlith::app {

/// The modes that face the browsers: the native-messaging host, when a browser starts `zerlith`
/// for its extension, and `--install-browser-hosts`. The exit status, or none when the arguments
/// ask for neither.
std::optional<int> runBrowserMode(const std::vector<std::string>& arguments);

}  // namespace zerlith::app
