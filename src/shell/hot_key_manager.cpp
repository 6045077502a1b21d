#include "shell/hot_key_manager.hpp"

#include "platform/latency_trace.hpp"

namespace zerlith {
namespace {

std::uint32_t idOf(HotKeyManager::Role role) { return static_cast<std::uint32_t>(role); }

}  // namespace

HotKeyManager::HotKeyManager(platform::HotKeys& keys, platform::Dispatch& dispatch)
    : keys_(keys) {
    // The desktop may report a press on any thread: hand it to the main queue.
    keys_.setPressHandler([weak = self_.weak(), &dispatch](std::uint32_t id, std::uint32_t pressTime,
                                                                    platform::KeyboardCapture capture) {
        // Shared only to travel through the queue: a press that never runs still lets go.
        auto held = std::make_shared<platform::KeyboardCapture>(std::move(capture));
        dispatch.postMain([weak, id, pressTime, held] {
            if (auto* manager = weak.get()) manager->pressed(id, pressTime, std::move(*held));
        });
    });
    keys_.setLossHandler([weak = self_.weak(), &dispatch](std::uint32_t id) {
        dispatch.postMain([weak, id] {
            if (auto* manager = weak.get()) manager->lost(id);
        });
    });
}

HotKeyManager::~HotKeyManager() {
    keys_.setPressHandler({});
    keys_.setLossHandler({});
    if (suspended_) return;
    for (const auto& [id, handler] : handlers_) keys_.unregisterKey(id);
}

bool HotKeyManager::registerShortcut(Role role, const Shortcut& shortcut, Handler handler) {
    resume();
    unregister(role);
    if (!keys_.registerKey(idOf(role), shortcut.keyCode, shortcut.carbonModifiers)) return false;
    handlers_[idOf(role)] = std::move(handler);
    shortcuts_[idOf(role)] = shortcut;
    return true;
}

void HotKeyManager::unregister(Role role) {
    shortcuts_.erase(idOf(role));
    if (handlers_.erase(idOf(role)) > 0 && !suspended_) keys_.unregisterKey(idOf(role));
}

void HotKeyManager::suspend() {
    if (suspended_) return;
    suspended_ = true;
    for (const auto& [id, handler] : handlers_) keys_.unregisterKey(id);
}

void HotKeyManager::resume() {
    if (!suspended_) return;
    suspended_ = false;
    for (auto it = shortcuts_.begin(); it != shortcuts_.end();) {
        if (keys_.registerKey(it->first, it->second.keyCode, it->second.carbonModifiers)) {
            ++it;
        } else {
            handlers_.erase(it->first);
            it = shortcuts_.erase(it);
        }
    }
}

void HotKeyManager::lost(std::uint32_t id) {
    const auto found = shortcuts_.find(id);
    if (found == shortcuts_.end()) return;  // given back or replaced since
    const Shortcut shortcut = found->second;
    shortcuts_.erase(found);
    handlers_.erase(id);
    if (lossListener_) lossListener_(static_cast<Role>(id), shortcut);
}

void HotKeyManager::pressed(std::uint32_t id, std::uint32_t pressTime, platform::KeyboardCapture capture) {
    const auto found = handlers_.find(id);
    if (suspended_ || found == handlers_.end()) return;  // a role that failed to register, or none of ours
    platform::latency::mark("hot key on the main thread");
    auto handler = found->second;  // the handler may re-register its own role
    handler(pressTime, std::move(capture));
}

}  // namespace zerlith
