#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/hot_keys.hpp"
#include "providers/wlroots/sway_bindings.hpp"
#include "providers/wlroots/sway_ipc.hpp"

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace zerlith::wlroots {

/// The switcher's global keys on sway: each bound over the IPC (`bindsym --no-repeat`) to a
/// `nop` that names it, and pressed when sway reports that binding ran, so no process starts per
/// press. A key the configuration (or a file it includes) binds already is taken. Bindings made
/// over the IPC vanish when sway reloads its configuration: they are made again then, each only if
/// the configuration still leaves its key free. Those made are removed when this object goes away. A shortcut's key is read in a keymap of XKB's defaults; no keys are captured before
/// the palette shows.
class SwayHotKeys final : public platform::HotKeys {
public:
    /// `ipc` runs the commands; the events come on a connection of its own to `socketPath`.
    SwayHotKeys(SwayIpc& ipc, std::string socketPath);
    ~SwayHotKeys() override;

    void setPressHandler(PressHandler handler) override;
    void setLossHandler(LossHandler handler) override;
    bool registerKey(std::uint32_t id, std::uint32_t keyCode, std::uint32_t carbonModifiers) override;
    void unregisterKey(std::uint32_t id) override;
    std::optional<std::string> layoutKeyName(std::uint32_t keyCode) override;
    platform::KeyNotation notation() const override { return platform::KeyNotation::words; }
    bool needsConsent() const override { return true; }

private:
    std::optional<KeyChord> chordOf(std::uint32_t keyCode, std::uint32_t carbonModifiers) const;
    /// Whether neither sway's configuration nor a file it includes binds `chord`: a key bound
    /// there is the user's. A configuration that cannot be read counts as binding it.
    bool isFree(const KeyChord& chord);
    /// Under the lock: binds every registered key again (after a reload) that is still free, and
    /// forgets the others, so that quitting leaves them alone, telling the loss handler.
    void bindAll();
    void handleEvent(SwayEvents::Kind kind, const nlohmann::json& event);

    SwayIpc& ipc_;
    std::string socketPath_;
    xkb_context* context_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    xkb_state* state_ = nullptr;
    std::mutex mutex_;
    PressHandler handler_;
    LossHandler lossHandler_;
    std::map<std::uint32_t, KeyChord> bound_;  ///< by id
    std::unique_ptr<SwayEvents> events_;       ///< last: its thread reads the members above
};

}  // namespace zerlith::wlroots
