#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/geometry.hpp"

/// The native-messaging host: the `zerlith` a browser starts for its extension. It keeps the
/// extension's latest tab report and relays between the browser (frames on its standard input
/// and output) and Zerlith's processes, which connect to its socket in the private runtime folder:
///
///   {"type":"report"}                       → {"kind":…, "name":…, "pid":…, "windows":[…]}
///   {"type":"select","windowId":…,"index":… from 1} → {"ok":true|false} once the browser answered
///
/// Each new report pokes the running application ("tabs-changed KIND" on its instance socket).
namespace zerlith::browser {

/// Host sockets are `<runtime folder>/<kHostSocketPrefix><kind>-<host pid>`: named after the host
/// itself, since one browser process starts a host per profile. Which browser a socket serves is
/// in the host's answer, never read from the name.
inline constexpr std::string_view kHostSocketPrefix = "browser-";
/// The id of the extension in Firefox, which names it to the host.
inline constexpr std::string_view kFirefoxExtensionID = "tabs@zerlith.dev";

/// The browser kind from the arguments a browser starts its host with: "chrome" for an origin
/// "chrome-extension://…/", "firefox" for a manifest path and then Zerlith's add-on id; none
/// when the arguments are anything else.
std::optional<std::string> hostKind(const std::vector<std::string>& arguments);

/// Runs the host for the browser `name` ("Brave"; empty when not known) of `kind` until the
/// browser closes `input`; malformed, oversized and unexpected messages
/// are dropped with a line on `log`. The socket is named after `hostPid` (this process's pid) and
/// removed at the end unless another socket has taken its name meanwhile. The exit status: 0, or 1
/// when the socket cannot be made.
int runHost(std::string_view kind, std::string_view name, Pid browserPid, Pid hostPid, const std::string& folder, int input, int output,
            std::ostream& log);

}  // namespace zerlith::browser
