#include "desktop/activation_log.hpp"

namespace zerlith {

std::vector<std::string> ActivationLog::lastTrace() const {
    std::lock_guard lock(mutex_);
    return trace_;
}

void ActivationLog::startTrace(std::string firstLine) {
    std::lock_guard lock(mutex_);
    trace_.assign(1, std::move(firstLine));
}

void ActivationLog::appendTrace(std::string line) {
    std::lock_guard lock(mutex_);
    trace_.push_back(std::move(line));
}

std::optional<ActivationHint> ActivationLog::hint(const std::string& key) const {
    std::lock_guard lock(mutex_);
    const auto found = hints_.find(key);
    if (found == hints_.end()) return std::nullopt;
    return found->second;
}

void ActivationLog::storeHint(const std::string& key, ActivationHint hint) {
    std::lock_guard lock(mutex_);
    hints_[key] = hint;
}

void ActivationLog::updateHint(const std::string& key, const std::function<void(ActivationHint&)>& change) {
    std::lock_guard lock(mutex_);
    change(hints_[key]);
}

}  // namespace zerlith
