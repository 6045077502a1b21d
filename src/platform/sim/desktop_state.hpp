#pragma once

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/sim/desktop_model.hpp"

namespace zerlith::sim {

/// What the simulated desktop is and what was done to it.
struct DesktopState {
    DesktopModel model;
    std::vector<std::string> actionLog;  ///< one line per change the core made, in order
};

/// The desktop state behind one lock, handed out only while the lock is held. Any thread; the
/// function passed in must not call back into the desktop, nor sleep.
class GuardedState {
public:
    explicit GuardedState(DesktopModel model) : state_{std::move(model), {}} {}

    template <class Function>
    auto with(Function&& function) {
        std::lock_guard lock(mutex_);
        return std::forward<Function>(function)(state_);
    }

    template <class Function>
    auto with(Function&& function) const {
        std::lock_guard lock(mutex_);
        return std::forward<Function>(function)(std::as_const(state_));
    }

private:
    mutable std::mutex mutex_;
    DesktopState state_;
};

}  // namespace zerlith::sim
