#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "platform/weak_handle.hpp"
#include "platform/dispatch.hpp"
#include "platform/hot_keys.hpp"
#include "shell/shortcut.hpp"

namespace zerlith {

/// The two global shortcuts and what they do. Each role holds at most one registration; a
/// handler always runs later from the main queue, never inside the desktop's key callback.
/// Main thread; the desktop's keys and the dispatch outlive the manager.
class HotKeyManager {
public:
    /// A role's hot-key id is its position counted from 1.
    enum class Role : std::uint32_t { palette = 1, instant = 2 };
    /// Receives the desktop's time stamp of the press (0 when unknown) and the keyboard held from
    /// the press; the handler lets it go, at the latest by returning without keeping it.
    using Handler = std::function<void(std::uint32_t pressTime, platform::KeyboardCapture capture)>;
    /// A role whose key the desktop took back: it holds no registration from then on.
    using LossListener = std::function<void(Role role, const Shortcut& shortcut)>;

    HotKeyManager(platform::HotKeys& keys, platform::Dispatch& dispatch);
    ~HotKeyManager();
    HotKeyManager(const HotKeyManager&) = delete;
    HotKeyManager& operator=(const HotKeyManager&) = delete;

    /// Replaces the role's registration; false when the desktop refused the shortcut, and the
    /// role then has none (its previous one is gone too).
    bool registerShortcut(Role role, const Shortcut& shortcut, Handler handler);
    /// Removes the role's registration; nothing when it has none.
    void unregister(Role role);

    /// Gives every key back to the desktop while the roles keep their shortcuts and handlers, so
    /// that a press of one reaches the application's focused window (the shortcut recorder).
    void suspend();
    /// Takes the keys again after suspend(); a key the desktop refuses now leaves its role without
    /// one. A registration resumes first.
    void resume();
    bool isSuspended() const { return suspended_; }

    /// Hears of each role whose key the desktop takes back; on the main queue.
    void onLoss(LossListener listener) { lossListener_ = std::move(listener); }

private:
    void pressed(std::uint32_t id, std::uint32_t pressTime, platform::KeyboardCapture capture);
    void lost(std::uint32_t id);

    platform::HotKeys& keys_;
    std::map<std::uint32_t, Handler> handlers_;
    std::map<std::uint32_t, Shortcut> shortcuts_;
    LossListener lossListener_;
    bool suspended_ = false;
    /// Presses queued for the main thread hold this weakly, so none reaches a manager that is gone.
    platform::WeakHandle<HotKeyManager> self_{this};
};

}  // namespace zerlith
