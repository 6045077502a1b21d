#pragma once

namespace zerlith {

/// Whether the process at the other end of the connected Unix socket `fd` runs as this process's
/// user: the sockets between Zerlith's processes admit no one else. False when the socket cannot
/// tell. Any thread.
bool peerIsThisUser(int fd);

}  // namespace zerlith
