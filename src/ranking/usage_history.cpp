#include "ranking/usage_history.hpp"

#include <limits>

#include <nlohmann/json.hpp>

namespace zerlith::UsageHistory {
namespace {

using nlohmann::json;

std::optional<std::int64_t> decodeCount(const json& value) {
    if (value.is_number_unsigned()) {
        const auto count = value.get<std::uint64_t>();
        if (count > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return std::nullopt;
        return static_cast<std::int64_t>(count);
    }
    if (value.is_number_integer() && value.get<std::int64_t>() >= 0) return value.get<std::int64_t>();
    return std::nullopt;
}

std::optional<Record> decodeRecord(const json& value) {
    if (!value.is_object()) return std::nullopt;
    const auto lastUsed = value.find("lastUsed");
    const auto count = value.find("count");
    const auto affinity = value.find("affinity");
    if (lastUsed == value.end() || count == value.end() || affinity == value.end()) return std::nullopt;
    if (!lastUsed->is_number() || !affinity->is_object()) return std::nullopt;

    Record record;
    record.lastUsed = lastUsed->get<double>();
    const auto decodedCount = decodeCount(*count);
    if (!decodedCount) return std::nullopt;
    record.count = *decodedCount;
    for (const auto& [context, uses] : affinity->items()) {
        const auto decodedUses = decodeCount(uses);
        if (!decodedUses) return std::nullopt;
        record.affinity.emplace(context, *decodedUses);
    }
    return record;
}

}  // namespace

std::optional<Records> decode(std::string_view bytes) {
    const json root = json::parse(bytes, nullptr, /*allow_exceptions=*/false);
    if (!root.is_object()) return std::nullopt;  // also what a parse error gives
    Records records;
    for (const auto& [id, value] : root.items()) {
        auto record = decodeRecord(value);
        if (!record) return std::nullopt;
        records.emplace(id, std::move(*record));
    }
    return records;
}

std::string encode(const Records& records) {
    json root = json::object();
    for (const auto& [id, record] : records) {
        root[id] = {{"lastUsed", record.lastUsed}, {"count", record.count}, {"affinity", record.affinity}};
    }
    // A title with invalid UTF-8 must not make every later write fail: it is written replaced.
    return root.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace zerlith::UsageHistory
