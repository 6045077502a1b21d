#pragma once

#include <cstdint>
#include <map>
#include <mutex>

#include "platform/hot_keys.hpp"
#include "platform/sim/desktop_state.hpp"

namespace zerlith::sim {

/// Global keys on the simulated desktop: the keys in `heldShortcuts` are taken, the layout's
/// names come from `keyNames`, and tests press keys with press().
class SimHotKeys final : public platform::HotKeys {
public:
    explicit SimHotKeys(GuardedState& state) : state_(state) {}

    void setPressHandler(PressHandler handler) override;
    bool registerKey(std::uint32_t id, std::uint32_t keyCode, std::uint32_t carbonModifiers) override;
    void unregisterKey(std::uint32_t id) override;
    std::optional<std::string> layoutKeyName(std::uint32_t keyCode) override;
    platform::KeyNotation notation() const override { return platform::KeyNotation::glyphs; }
    bool needsConsent() const override;

    /// The user pressed this key: the handler hears of it when a registration holds it, with
    /// `pressTime`. Any thread.
    void press(KeyChord key, std::uint32_t pressTime);

private:
    GuardedState& state_;
    std::mutex mutex_;
    PressHandler handler_;
    std::map<std::uint32_t, KeyChord> registered_;
};

}  // namespace zerlith::sim
