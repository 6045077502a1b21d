#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace zerlith::platform {

/// The user's preferences: JSON values under string keys ("shortcut.palette"). Main thread.
class Preferences {
public:
    virtual ~Preferences() = default;

    /// The value stored under `key`, or none.
    virtual std::optional<nlohmann::json> value(std::string_view key) = 0;
    /// Stores `value` under `key`; false when it could not be kept (the stored values stay as
    /// they were then).
    virtual bool setValue(std::string_view key, nlohmann::json value) = 0;
};

/// Preferences that live as long as the object: the simulated desktop's.
class MemoryPreferences final : public Preferences {
public:
    explicit MemoryPreferences(std::map<std::string, nlohmann::json, std::less<>> values = {})
        : values_(std::move(values)) {}

    std::optional<nlohmann::json> value(std::string_view key) override {
        auto found = values_.find(key);
        if (found == values_.end()) return std::nullopt;
        return found->second;
    }
    bool setValue(std::string_view key, nlohmann::json value) override {
        values_.insert_or_assign(std::string(key), std::move(value));
        return true;
    }

private:
    std::map<std::string, nlohmann::json, std::less<>> values_;
};

}  // namespace zerlith::platform
