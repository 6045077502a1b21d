#pragma once

#include <filesystem>
#include <string>
#include <variant>

namespace zerlith {

/// The real path of a file this process may run or load, or why it may not: the file and every
/// folder above it must belong to root or to this process's user, and none may be writable by
/// group or others, except a sticky folder (such as /tmp), where only an entry's owner may replace
/// it. So no other user can have put the file there or swap it afterwards. Run or load the path
/// returned, not the one given: links are resolved once, here. Any thread.
std::variant<std::filesystem::path, std::string> trustedFile(const std::filesystem::path& path);

}  // namespace zerlith
