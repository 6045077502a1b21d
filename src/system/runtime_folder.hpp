#pragma once

#include <optional>
#include <string>

namespace zerlith {

/// The private folder of this user's sockets and lock: `$XDG_RUNTIME_DIR/zerlith`; without that
/// variable `$XDG_CACHE_HOME/zerlith/runtime-<host name>` (`~/.cache/…`), in this user's home
/// rather than under a shared name that another user could take first, and per machine for a
/// home shared over the network. Made when missing, owner-only. None, with the reason in `error`,
/// when it or the folder it is in belongs to someone else or is writable by other users (who could
/// swap what is inside). Any thread.
std::optional<std::string> runtimeFolder(std::string* error);

}  // namespace zerlith
