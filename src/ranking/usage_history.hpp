#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

/// The usage history's file format: one JSON object of target ids to
/// {"lastUsed": seconds since 1970, "count": uses, "affinity": {context key: uses}}.
/// Pure functions; any thread.
namespace zerlith::UsageHistory {

struct Record {
    double lastUsed = 0;  ///< seconds since 1970
    std::int64_t count = 0;
    std::map<std::string, std::int64_t, std::less<>> affinity;  ///< uses per context key

    bool operator==(const Record&) const = default;
};

struct IdHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view id) const { return std::hash<std::string_view>{}(id); }
};
using Records = std::unordered_map<std::string, Record, IdHash, std::equal_to<>>;

/// The whole history, or none when any part of it fails to decode (not JSON, a count that is
/// negative or beyond 64 bits, a time that is not a number, …).
std::optional<Records> decode(std::string_view bytes);

/// The file's bytes; decode() gives `records` back, invalid UTF-8 in an id or context replaced.
std::string encode(const Records& records);

}  // namespace zerlith::UsageHistory
