#include "base/trusted_file.hpp"

#include <sys/stat.h>
#include <unistd.h>

namespace zerlith {
namespace {

bool trustedOwner(uid_t owner) { return owner == 0 || owner == ::geteuid(); }

}  // namespace

std::variant<std::filesystem::path, std::string> trustedFile(const std::filesystem::path& path) {
    std::error_code error;
    const auto real = std::filesystem::canonical(path, error);
    if (error) return path.string() + ": " + error.message();
    struct stat status {};
    if (::stat(real.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return real.string() + " is not a file";
    // Walks up from the file: each entry's owner, then whether its folder lets others replace it.
    auto entry = real;
    while (true) {
        if (!trustedOwner(status.st_uid)) return entry.string() + " belongs to another user";
        const bool sticky = (status.st_mode & S_ISVTX) != 0;
        if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0 && !(S_ISDIR(status.st_mode) && sticky))
            return entry.string() + " is writable by other users";
        if (entry == entry.root_path()) return real;
        entry = entry.parent_path();
        if (::stat(entry.c_str(), &status) != 0) return entry.string() + " cannot be read";
    }
}

}  // namespace zerlith
