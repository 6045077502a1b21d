#include "providers/macos_model/window_mover.hpp"

#include "desktop/screens.hpp"
#include "platform/platform.hpp"
#include "providers/macos_model/ax.hpp"

namespace zerlith::WindowMover {
namespace {

namespace ax = platform::ax;

constexpr double kFullScreenExitWait = 0.35;
constexpr double kAttemptDelay = 0.12;
constexpr double kFocusedWindowTimeout = 0.25;
constexpr std::int64_t kMoveAttempts = 8;

}  // namespace

void move(const platform::AXElementRef& window, const platform::Screen& destination) {
    auto& platform = platform::current();
    if (AX::boolean(window, ax::kFullScreen) == true) {
        platform::currentMacOS().accessibility().setAttribute(window, ax::kFullScreen, false);
        platform.clock().sleep(kFullScreenExitWait);
    }
    const auto frame = AX::frame(window);
    if (!frame) return;
    const auto from = Screens::screenForAXRect(*frame);
    if (from && *from == destination) return;
    setFrame(window, Screens::placement(*frame, from, destination));
}

void moveWhenAvailable(Pid pid, const platform::Screen& destination, std::int64_t attemptsRemaining) {
    platform::current().dispatch().postMainAfter(kAttemptDelay, [pid, destination, attemptsRemaining] {
        const auto window = focusedWindow(pid);
        if (window && AX::frame(*window)) {
            move(*window, destination);
            return;
        }
        const auto remaining = attemptsRemaining - 1;
        if (remaining < 1) return;
        moveWhenAvailable(pid, destination, remaining);
    });
}

void moveOnceFocused(Pid pid, const std::optional<platform::Screen>& destination) {
    if (!destination) return;
    platform::current().dispatch().postMain(
        [pid, screen = *destination] { moveWhenAvailable(pid, screen, kMoveAttempts); });
}

std::optional<platform::AXElementRef> focusedWindow(Pid pid) {
    return AX::element(AX::application(pid, kFocusedWindowTimeout), ax::kFocusedWindow);
}

void setFrame(const platform::AXElementRef& window, const Rect& frame) {
    auto& accessibility = platform::currentMacOS().accessibility();
    accessibility.setAttribute(window, ax::kPosition, frame.origin());
    accessibility.setAttribute(window, ax::kSize, frame.size());
    accessibility.setAttribute(window, ax::kPosition, frame.origin());
}

}  // namespace zerlith::WindowMover
