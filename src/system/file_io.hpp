#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace zerlith {

/// The whole content of the file at `path`, or none when it cannot be opened. Any thread.
std::optional<std::string> readFile(const std::filesystem::path& path);

/// Replaces the file at `path` as a whole: the bytes go to a temporary file in the same folder,
/// which is then renamed over the target, so a reader sees the old or the new content, never a
/// mix. `mode` is the permission of the new file. Returns false when any step failed (the
/// temporary file is removed then, and errno tells why). Any thread.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes, mode_t mode = 0644);

/// Removes the temporary files that writeFileAtomically() leaves beside `path` when its process is
/// killed in the middle of a write. Only while no other process writes `path`.
void removeLeftoverTemporaries(const std::filesystem::path& path);

}  // namespace zerlith
