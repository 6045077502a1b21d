#include "platform/sim/sim_hot_keys.hpp"

#include <algorithm>
#include <optional>

namespace zerlith::sim {

void SimHotKeys::setPressHandler(PressHandler handler) {
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

bool SimHotKeys::registerKey(std::uint32_t id, std::uint32_t keyCode, std::uint32_t carbonModifiers) {
    const KeyChord key{keyCode, carbonModifiers};
    const bool taken = state_.with([&](const DesktopState& state) {
        return std::find(state.model.heldShortcuts.begin(), state.model.heldShortcuts.end(), key) != state.model.heldShortcuts.end();
    });
    std::lock_guard lock(mutex_);
    registered_.erase(id);
    if (taken) return false;
    registered_.emplace(id, key);
    return true;
}

void SimHotKeys::unregisterKey(std::uint32_t id) {
    std::lock_guard lock(mutex_);
    registered_.erase(id);
}

std::optional<std::string> SimHotKeys::layoutKeyName(std::uint32_t keyCode) {
    return state_.with([&](const DesktopState& state) -> std::optional<std::string> {
        const auto found = state.model.keyNames.find(keyCode);
        if (found == state.model.keyNames.end()) return std::nullopt;
        return found->second;
    });
}

bool SimHotKeys::needsConsent() const {
    return state_.with([](const DesktopState& state) { return state.model.shortcutsNeedConsent; });
}

void SimHotKeys::press(KeyChord key, std::uint32_t pressTime) {
    std::optional<std::uint32_t> id;
    PressHandler handler;
    {
        std::lock_guard lock(mutex_);
        const auto found =
            std::find_if(registered_.begin(), registered_.end(), [&](const auto& entry) { return entry.second == key; });
        if (found == registered_.end() || !handler_) return;
        id = found->first;
        handler = handler_;
    }
    handler(*id, pressTime, platform::KeyboardCapture());
}

}  // namespace zerlith::sim
