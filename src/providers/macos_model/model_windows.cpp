#include "providers/macos_model/model_windows.hpp"

#include "platform/platform.hpp"
#include "providers/macos_model/ax.hpp"
#include "providers/macos_model/window_list.hpp"
#include "providers/macos_model/window_menu.hpp"
#include "providers/macos_model/window_mover.hpp"

namespace zerlith::macos_model {
namespace {

namespace ax = platform::ax;

constexpr double kWindowsReadTimeout = 1.0;

void activateApp(Pid pid) { platform::current().workspace().activate(pid); }

void raiseDirectly(const platform::AXElementRef& element, Pid pid, const std::optional<platform::Screen>& movingTo) {
    auto& platform = platform::current();
    auto& accessibility = platform::currentMacOS().accessibility();
    if (AX::boolean(element, ax::kMinimized) == true) accessibility.setAttribute(element, ax::kMinimized, false);
    accessibility.performAction(element, ax::kRaise);
    accessibility.setAttribute(element, ax::kMain, true);
    activateApp(pid);
    if (movingTo) {
        platform.dispatch().postMain([element, screen = *movingTo] { WindowMover::move(element, screen); });
    }
}

}  // namespace

std::vector<desktop::Window> ModelWindows::list() { return WindowList::list(); }

std::optional<desktop::FocusedWindow> ModelWindows::focusedWindow(Pid pid, double timeout) {
    const auto focused = AX::element(AX::application(pid, timeout), ax::kFocusedWindow);
    if (!focused) return std::nullopt;
    return desktop::FocusedWindow{AX::string(*focused, ax::kTitle).value_or(""), AX::frame(*focused)};
}

std::optional<Pid> ModelWindows::ownerOf(std::uint32_t window) {
    for (const auto& record : platform::currentMacOS().windowServer().windowList()) {
        const auto* number = platform::member<std::int64_t>(record.number);
        const auto* owner = platform::member<std::int64_t>(record.ownerPID);
        if (number != nullptr && owner != nullptr && *number == std::int64_t{window}) return static_cast<Pid>(*owner);
    }
    return std::nullopt;
}

bool ModelWindows::raise(ActivationLog& log, const Target& target, const std::optional<platform::Screen>& movingTo) {
    const auto pid = target.window->pid;
    if (auto element = WindowList::elementOf(*target.window)) {
        raiseDirectly(element, pid, movingTo);
        return true;
    }
    platform::current().dispatch().concurrentQueue().async(
        [&log, pid, title = target.title, duplicateIndex = target.window->duplicateIndex, movingTo] {
            if (!WindowMenu::raise(log, pid, title, duplicateIndex, {})) activateApp(pid);
            WindowMover::moveOnceFocused(pid, movingTo);
        });
    return true;
}

void ModelWindows::raiseShowing(Pid pid, const std::string& title, const std::optional<platform::Screen>& movingTo) {
    const auto windows = AX::elements(AX::application(pid, kWindowsReadTimeout), ax::kWindows);
    for (const auto& window : windows.value_or(std::vector<platform::AXElementRef>{})) {
        if (!AX::string(window, ax::kTitle).value_or("").starts_with(title)) continue;
        raiseDirectly(window, pid, movingTo);
        return;
    }
    activateApp(pid);
    WindowMover::moveOnceFocused(pid, movingTo);
}

}  // namespace zerlith::macos_model
