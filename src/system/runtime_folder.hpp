#pragma once

#include <optional>
#include <string>

namespace zerlith {

/// The private folder of this user's sockets: `$XDG_RUNTIME_DIR/zerlith` (else a folder of this
/// user's in $TMPDIR or /tmp), made when missing and made owner-only. None, with the reason in `error`, when
/// it belongs to someone else or cannot be made private. Any thread.
std::optional<std::string> runtimeFolder(std::string* error);

}  // namespace zerlith
