#include "base/socket_peer.hpp"

#include <sys/socket.h>
#include <unistd.h>

namespace zerlith {

bool peerIsThisUser(int fd) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
           credentials.uid == ::getuid();
}

}  // namespace zerlith
