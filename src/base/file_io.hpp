#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace zerlith {

/// The whole content of the regular file at `path` (symbolic links followed), or none when it
/// cannot be opened, is no regular file (errno EINVAL: a FIFO, a device, a folder) or holds more
/// than `maxBytes` (errno EFBIG). Never blocks on a FIFO and never reads past `maxBytes`. Any
/// thread.
std::optional<std::string> readFile(const std::filesystem::path& path, std::size_t maxBytes);

/// Replaces the file at `path` as a whole: the bytes go to a temporary file in the same folder,
/// which is then renamed over the target, so a reader sees the old or the new content, never a
/// mix. `mode` is the permission of the new file. Returns false when any step failed (the
/// temporary file is removed then, and errno tells why). Any thread.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes, mode_t mode = 0644);

/// Removes the temporary files that writeFileAtomically() leaves beside `path` when its process is
/// killed in the middle of a write. Only while no other process writes `path`.
void removeLeftoverTemporaries(const std::filesystem::path& path);

}  // namespace zerlith
