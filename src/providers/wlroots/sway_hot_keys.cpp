#include "providers/wlroots/sway_hot_keys.hpp"

#include <xkbcommon/xkbcommon.h>

#include <cstdio>

#include "providers/wlroots/desktop_reading.hpp"
#include "providers/wlroots/sway_process.hpp"
#include "providers/xdg/key_positions.hpp"

namespace zerlith::wlroots {
namespace {

/// A regular expression for exactly the switcher's own app id.
std::string ownAppIdPattern() {
    std::string pattern = "^";
    for (const char c : kOwnAppId) {
        if (c == '.') pattern += '\\';
        pattern += c;
    }
    return pattern + "$";
}

/// The command a key is bound to: it does nothing in sway but name the key in the binding event.
std::string commandFor(std::uint32_t id) { return "nop zerlith-hot-key-" + std::to_string(id); }

}  // namespace

SwayHotKeys::SwayHotKeys(SwayIpc& ipc, std::string socketPath)
    : ipc_(ipc), socketPath_(std::move(socketPath)), context_(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {
    if (context_ != nullptr) keymap_ = xkb_keymap_new_from_names(context_, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap_ != nullptr) state_ = xkb_state_new(keymap_);
}

SwayHotKeys::~SwayHotKeys() {
    events_.reset();
    std::lock_guard lock(mutex_);
    for (const auto& [id, chord] : bound_) ipc_.run("unbindsym " + bindsymCombo(chord));
    xkb_state_unref(state_);
    xkb_keymap_unref(keymap_);
    xkb_context_unref(context_);
}

void SwayHotKeys::setPressHandler(PressHandler handler) {
    {
        std::lock_guard lock(mutex_);
        handler_ = std::move(handler);
    }
    if (events_) return;
    // The palette these keys open floats above the tiles, in the middle of the focused output,
    // as sway places floating windows; so do the switcher's other windows.
    // Criteria are regular expressions that sway reads without unescaping.
    ipc_.run("for_window [app_id=\"" + ownAppIdPattern() + "\"] floating enable");
    // Workspace events bring the "reload" after which sway has forgotten the bindings.
    events_ = SwayEvents::subscribe(socketPath_, {"binding", "workspace"},
                                    [this](SwayEvents::Kind kind, const nlohmann::json& event) { handleEvent(kind, event); },
                                    nullptr);
}

void SwayHotKeys::setLossHandler(LossHandler handler) {
    std::lock_guard lock(mutex_);
    lossHandler_ = std::move(handler);
}

std::optional<KeyChord> SwayHotKeys::chordOf(std::uint32_t keyCode, std::uint32_t carbonModifiers) const {
    const auto name = xdg::xkbKeyName(keyCode);
    if (!name || keymap_ == nullptr) return std::nullopt;
    const xkb_keycode_t code = xkb_keymap_key_by_name(keymap_, std::string(*name).c_str());
    if (code == XKB_KEYCODE_INVALID) return std::nullopt;
    char keysym[64];
    if (xkb_keysym_get_name(xkb_state_key_get_one_sym(state_, code), keysym, sizeof keysym) <= 0) return std::nullopt;
    return KeyChord{swayModifiers(carbonModifiers), code, keysym};
}

bool SwayHotKeys::registerKey(std::uint32_t id, std::uint32_t keyCode, std::uint32_t carbonModifiers) {
    const auto chord = chordOf(keyCode, carbonModifiers);
    if (!chord) return false;
    if (!isFree(*chord)) return false;
    std::lock_guard lock(mutex_);
    for (const auto& [otherId, other] : bound_) {
        if (otherId != id && other == *chord) return false;
    }
    if (!ipc_.run("bindsym --no-repeat " + bindsymCombo(*chord) + " " + commandFor(id))) return false;
    bound_[id] = *chord;
    return true;
}

void SwayHotKeys::unregisterKey(std::uint32_t id) {
    std::lock_guard lock(mutex_);
    const auto found = bound_.find(id);
    if (found == bound_.end()) return;
    ipc_.run("unbindsym " + bindsymCombo(found->second));
    bound_.erase(found);
}

std::optional<std::string> SwayHotKeys::layoutKeyName(std::uint32_t keyCode) {
    const auto chord = chordOf(keyCode, 0);
    if (!chord) return std::nullopt;
    const xkb_keysym_t upper = xkb_keysym_to_upper(xkb_state_key_get_one_sym(state_, chord->keyCode));
    char text[16];
    const int size = xkb_keysym_to_utf8(upper, text, sizeof text);
    // Control characters (Return, Escape, Delete) and the space are not names.
    if (size <= 1 || static_cast<unsigned char>(text[0]) <= 0x20 || text[0] == 0x7f) return std::nullopt;
    return std::string(text, static_cast<std::size_t>(size - 1));
}

bool SwayHotKeys::isFree(const KeyChord& chord) {
    // A binding over the IPC silently replaces one of the user's: look in the configuration first,
    // and in the files it includes, which get_config leaves out.
    const auto reply = ipc_.request(SwayIpc::Message::getConfig);
    const auto config = reply && reply->is_object() ? reply->value("config", nlohmann::json()) : nlohmann::json();
    if (!config.is_string()) return false;
    const auto pid = ipc_.peerProcess();
    const SwayStart start = pid ? swayStart(*pid) : SwayStart{};
    const SwayConfigPlace place{start.configFile, [&start](const std::string& name) -> std::optional<std::string> {
                                    const auto found = start.environment.find(name);
                                    return found != start.environment.end() ? std::optional(found->second) : std::nullopt;
                                }};
    const BindingCheck check = configBinds(config.get<std::string>(), place, chord);
    if (!check.problem.empty()) {
        std::fprintf(stderr, "zerlith: sway's configuration cannot be read (%s): %s is left to sway\n",
                     check.problem.c_str(), bindsymCombo(chord).c_str());
    }
    return !check.bound && check.problem.empty();
}

void SwayHotKeys::bindAll() {
    for (auto it = bound_.begin(); it != bound_.end();) {
        const auto& [id, chord] = *it;
        // The reloaded configuration may bind the key now: it is the user's then, also at quit.
        if (isFree(chord) && ipc_.run("bindsym --no-repeat " + bindsymCombo(chord) + " " + commandFor(id))) {
            ++it;
            continue;
        }
        if (lossHandler_) lossHandler_(id);
        it = bound_.erase(it);
    }
}

void SwayHotKeys::handleEvent(SwayEvents::Kind kind, const nlohmann::json& event) {
    if (!event.is_object()) return;
    if (kind == SwayEvents::Kind::workspace) {
        if (event.value("change", nlohmann::json()) != "reload") return;
        std::lock_guard lock(mutex_);
        bindAll();
        return;
    }
    if (kind != SwayEvents::Kind::binding) return;
    const auto binding = event.find("binding");
    if (binding == event.end() || !binding->is_object()) return;
    const auto command = binding->value("command", nlohmann::json());
    PressHandler handler;
    std::optional<std::uint32_t> pressed;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [id, chord] : bound_) {
            if (command == commandFor(id)) pressed = id;
        }
        handler = handler_;
    }
    if (pressed && handler) handler(*pressed, 0, platform::KeyboardCapture{});
}

}  // namespace zerlith::wlroots
