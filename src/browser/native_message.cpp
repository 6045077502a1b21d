#include "browser/native_message.hpp"

#include <cstring>

namespace zerlith::browser {

std::string frame(std::string_view message) {
    const auto length = static_cast<std::uint32_t>(message.size());
    std::string bytes(sizeof length, '\0');
    std::memcpy(bytes.data(), &length, sizeof length);
    return bytes.append(message);
}

std::optional<std::string> FrameReader::next() {
    for (;;) {
        if (skipping_ > 0) {
            const auto skipped = std::min<std::uint64_t>(skipping_, pending_.size());
            pending_.erase(0, skipped);
            skipping_ -= skipped;
            if (skipping_ > 0) return std::nullopt;
        }
        std::uint32_t length = 0;
        if (pending_.size() < sizeof length) return std::nullopt;
        std::memcpy(&length, pending_.data(), sizeof length);
        if (length > longest_) {
            pending_.erase(0, sizeof length);
            skipping_ = length;
            ++dropped_;
            continue;
        }
        if (pending_.size() < sizeof length + length) return std::nullopt;
        std::string message = pending_.substr(sizeof length, length);
        pending_.erase(0, sizeof length + length);
        return message;
    }
}

}  // namespace zerlith::browser
